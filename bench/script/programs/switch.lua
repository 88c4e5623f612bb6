local a, b, c = 0, 0, 0
for i = 0, 25000000 - 1 do
  local k = i % 6
  if k == 0 then a = a + 1
  elseif k == 1 then b = b + 2
  elseif k == 2 or k == 3 then c = c + i % 4
  elseif k == 4 then a = a - 1
  else b = b - 1 end
end
print(string.format("%.4f", a * 1000000 + b * 1000 + c))
