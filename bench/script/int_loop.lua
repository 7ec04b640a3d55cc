local function main()
    local s = 0
    for i = 1, 15000000 do
        s = s + i % 7
    end
    return s
end
print(main())
