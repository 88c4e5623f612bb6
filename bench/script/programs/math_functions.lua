math.randomseed(42)
local total, inside = 0, 0
local sqrt, sin, floor, random = math.sqrt, math.sin, math.floor, math.random
for i = 0, 3500000 - 1 do
  total = total + (sqrt(i) + sin(i) + floor(i / 3))
  local roll = floor(random() * 6)
  if roll >= 0 and roll < 6 then inside = inside + 1 end
end
print(string.format("%.4f", total + inside))
