local function main()
    local x = 0.5
    for i = 1, 10000000 do
        x = x * 0.999 + i / 3.5
    end
    return x
end
print(main())
