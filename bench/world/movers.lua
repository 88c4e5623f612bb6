-- The same per-instance logic as the movers game: 10,000 tables stepped 600 times.
local movers = {}
for i = 0, 9999 do
  local id = 100002 + i
  movers[#movers + 1] = {x = (i * 37) % 640, y = (i * 53) % 480,
                         vx = (id % 7) - 3, vy = (id % 5) - 2, energy = 0}
end
for _ = 1, 600 do
  for _, m in ipairs(movers) do
    m.x = m.x + m.vx
    m.y = m.y + m.vy
    if m.x < 0 then m.x = m.x + 640 end
    if m.x >= 640 then m.x = m.x - 640 end
    if m.y < 0 then m.y = m.y + 480 end
    if m.y >= 480 then m.y = m.y - 480 end
    m.energy = (m.energy * 3 + m.vx * m.vx + m.vy * m.vy) % 1000
  end
end
local total = 0
for _, m in ipairs(movers) do total = total + m.energy + m.x + m.y end
print(total)
