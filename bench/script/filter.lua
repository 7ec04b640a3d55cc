-- The twin of filter.vbs: an event list object with accessor methods, and the same filter.
local Events = {}
Events.__index = Events

function Events.new()
    return setmetatable({count = 0, type = {}, pressed = {}, x = {}, y = {}, data = {}}, Events)
end

function Events:AddEvent(t, pressed, x, y, data)
    local i = self.count
    self.type[i], self.pressed[i], self.x[i], self.y[i], self.data[i] = t, pressed, x, y, data
    self.count = i + 1
    return i
end

function Events:EventType(i) return self.type[i] or 0 end
function Events:EventPressed(i) return self.pressed[i] or false end
function Events:EventPosX(i) return self.x[i] or 0 end
function Events:EventPosY(i) return self.y[i] or 0 end
function Events:EventData(i) return self.data[i] or 0 end
function Events:setEventPosX(i, v) if i >= 0 and i < self.count then self.x[i] = v end end
function Events:setEventData(i, v) if i >= 0 and i < self.count then self.data[i] = v end end

local CurrentEvents = Events.new()

local function ElementInvoked(index)
    local result = true
    local t = CurrentEvents:EventType(index)
    if t == 2 then
        CurrentEvents:setEventPosX(index, CurrentEvents:EventPosX(index) + 1)
        if CurrentEvents:EventPosY(index) < 10 then result = false end
    elseif t == 0 then
        if CurrentEvents:EventData(index) > 500 then CurrentEvents:setEventData(index, 500) end
    elseif t == 3 then
        if CurrentEvents:EventData(index) == 27 and CurrentEvents:EventPressed(index) then result = false end
    end
    return result
end

local function main()
    for i = 0, 999 do
        CurrentEvents:AddEvent(i % 4, i % 2 == 0, i % 640, i % 480, (i * 37) % 1000)
    end
    local n = CurrentEvents.count
    local runs = 0
    for pass = 1, 1000 do
        for i = 0, n - 1 do
            if ElementInvoked(i) then runs = runs + 1 end
        end
    end
    return runs + CurrentEvents:EventPosX(2) + CurrentEvents:EventData(4)
end
print(main())
