local function scr_weighted(a, b, c)
  return a * b + c % 3
end
local total = 0
for i = 0, 15000000 - 1 do
  total = total + scr_weighted(i, 2, i)
end
print(string.format("%.4f", total))
