local smallest = 0
local v = 1
for _ = 1, 3 do
  local l = {}
  for i = 1, 100000 do
    v = (v * 75 + 74) % 65537
    if v % 3 == 0 then l[i] = "k" .. v else l[i] = v end
  end
  -- Reals before strings, as the list orders them.
  table.sort(l, function(a, b)
    local ta, tb = type(a), type(b)
    if ta ~= tb then return ta == "number" end
    return a < b
  end)
  smallest = smallest + l[1]
end
print(string.format("%.4f", smallest))
