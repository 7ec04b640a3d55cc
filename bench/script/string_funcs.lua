-- The twin of string_funcs.vbs with the string library: gsub, find, sub, a split by find.
local function split(s, sep)
    local t, start = {}, 1
    while true do
        local i = string.find(s, sep, start, true)
        if not i then
            t[#t + 1] = string.sub(s, start)
            return t
        end
        t[#t + 1] = string.sub(s, start, i - 1)
        start = i + #sep
    end
end

local function main()
    local line = "alpha,beta,gamma,delta,epsilon"
    local n = 0
    for i = 1, 200000 do
        local s = string.gsub(line, "a", "A")
        n = n + string.find(s, "gAmmA", 1, true) + #string.sub(s, 3, 7)
        local parts = split(s, ",")
        n = n + (#parts - 1) + #parts[i % 5 + 1]
        if string.upper(parts[1]) == "ALPHA" then n = n + 1 end
    end
    return n
end
print(main())
