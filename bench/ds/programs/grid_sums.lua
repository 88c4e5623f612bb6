local n = 1000
local g = {}
for i = 0, n - 1 do
  local column = {}
  g[i] = column
  for j = 0, n - 1 do column[j] = (i * j) % 7 end
end
-- The region clamped to the grid, column by column.
local function sum(x1, y1, x2, y2)
  local total = 0
  for x = x1, math.min(x2, n - 1) do
    local column = g[x]
    for y = y1, math.min(y2, n - 1) do total = total + column[y] end
  end
  return total
end
local total = 0
for _ = 1, 10 do
  for x = 0, n - 1, 100 do
    for y = 0, n - 1, 100 do total = total + sum(x, y, x + 199, y + 199) end
  end
end
print(string.format("%.4f", total))
