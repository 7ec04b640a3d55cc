-- Table inserts, lookups and updates: the twin of dictionary.vbs.
local function main()
    local d, n = {}, 0
    for i = 1, 200000 do
        d["k" .. i] = i
        n = n + 1
    end
    local s = 0
    for i = 1, 200000 do
        local v = d["k" .. (i * 7 % 250000 + 1)]
        if v ~= nil then s = s + v end
    end
    local counts, m = {}, 0
    for i = 1, 200000 do
        local w = "w" .. (i % 1000)
        local c = counts[w]
        if c ~= nil then
            counts[w] = c + 1
        else
            counts[w] = 1
            m = m + 1
        end
    end
    return s + n + m + counts["w7"]
end
print(main())
