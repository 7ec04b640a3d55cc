-- Idiomatic string building in Lua: pieces in a table, joined once.
local function main()
    local t = {}
    for i = 1, 300000 do
        t[#t + 1] = "ab"
        t[#t + 1] = tostring(i % 10)
    end
    return #table.concat(t)
end
print(main())
