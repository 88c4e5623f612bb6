local instances = {}
for i = 1, 1000 do instances[i] = {x = 0} end
for _ = 1, 16000 do
  for _, self in ipairs(instances) do
    self.x = self.x + 1
  end
end
print(string.format("%.4f", instances[1].x))
