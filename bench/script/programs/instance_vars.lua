local self = {x = 0, y = 0, z = 0}
for _ = 1, 10000000 do
  self.x = self.x + 1
  self.y = self.x * 2 + self.z
  self.z = self.y - self.x
end
print(string.format("%.4f", self.z))
