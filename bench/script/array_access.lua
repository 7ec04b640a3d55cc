local function main()
    local a = {}
    for i = 1, 1000 do
        a[i] = i - 1
    end
    local s = 0
    for j = 1, 10000 do
        for i = 1, 1000 do
            s = s + a[i]
        end
    end
    return s
end
print(main())
