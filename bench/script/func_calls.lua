local function add(a, b)
    return a + b
end

local function main()
    local s = 0
    for i = 1, 5000000 do
        s = add(s, 1)
    end
    return s
end
print(main())
