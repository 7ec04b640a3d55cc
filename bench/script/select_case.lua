local function main()
    local s = 0
    for i = 1, 5000000 do
        local k = i % 5
        if k == 0 then s = s + 1
        elseif k == 1 then s = s + 2
        elseif k == 2 then s = s + 3
        elseif k == 3 then s = s + 4
        else s = s + 5
        end
    end
    return s
end
print(main())
