-- Methods, accessor methods and public fields of a class: the twin of class_methods.vbs.
local Counter = {}
Counter.__index = Counter

function Counter.new()
    return setmetatable({total = 0, step = 1}, Counter)
end

function Counter:add(n)
    self.total = self.total + n * self.step
end

function Counter:getTotal()
    return self.total
end

function Counter:setTotal(v)
    self.total = v
end

local function main()
    local c = Counter.new()
    for i = 1, 2000000 do
        c:add(i % 3)
        if c:getTotal() > 100000 then c:setTotal(c:getTotal() - 100000) end
        c.step = 3 - c.step
    end
    return c:getTotal()
end
print(main())
