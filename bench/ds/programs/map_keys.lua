local total = 0
for _ = 1, 8 do
  local m = {}
  for i = 0, 99999 do m[(i * 7919) % 100003] = i end
  for i = 0, 99999 do total = total + m[(i * 7919) % 100003] end
end
print(string.format("%.4f", total))
