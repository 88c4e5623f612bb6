local base = "the quick brown fox jumps over the lazy dog"
local total = 0
for i = 0, 2000000 - 1 do
  local from = i % 30 + 1
  local part = string.sub(base, from, from + 7)
  total = total + ((string.find(part, "o", 1, true) or 0) + #part + string.byte(string.char(65 + i % 26)))
end
print(string.format("%.4f", total))
