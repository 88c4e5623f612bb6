local instances = {}
for i = 1, 1000 do instances[i] = {x = 0} end
local start = os.clock()
for _ = 1, 1000 do
  for _, self in ipairs(instances) do
    self.x = self.x + 1
  end
end
print(string.format("%.6f", os.clock() - start))
