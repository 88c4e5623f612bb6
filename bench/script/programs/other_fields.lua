local instances = {}
for k = 0, 999 do instances[100002 + k] = {x = k % 97} end
local first, last = 100002, 101001
local total = 0
for i = 0, 18000000 - 1 do
  total = total + (instances[first].x + instances[last].x * 2)
end
print(string.format("%.4f", total))
