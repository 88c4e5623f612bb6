local s = ""
for i = 0, 50000 - 1 do
  s = s .. "ab"
end
local ok = s == string.rep("ab", 50000)
print(string.format("%.4f", ok and 1 or 0))
