local s = ""
for i = 0, 30000 - 1 do
  s = s .. "ab"
end
local ok = s == string.rep("ab", 30000)
print(string.format("%.4f", ok and 1 or 0))
