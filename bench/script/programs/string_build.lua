local start = os.clock()
local s = ""
for i = 0, 200000 - 1 do
  s = s .. "ab"
end
local ok = s == string.rep("ab", 200000)
print(string.format("%.6f", os.clock() - start))
