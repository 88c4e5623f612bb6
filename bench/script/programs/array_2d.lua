local n = 500
local grid = {}
for i = 0, n - 1 do
  local row = {}
  grid[i] = row
  for j = 0, n - 1 do
    row[j] = i * j
  end
end
local total = 0
for _ = 1, 140 do
  for i = 0, n - 1 do
    for j = 0, n - 1 do
      total = total + grid[i][j]
    end
  end
end
print(string.format("%.4f", total))
