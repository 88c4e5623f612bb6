local s = 0
for i = 0, 25000000 - 1 do
  s = s + ((i * 3 + 1) % 7 - i / 1000000)
end
print(string.format("%.4f", s))
