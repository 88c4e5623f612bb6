-- The bunnymark beside bench/bunnymark/bunnies: BUNNIES sprites, each moved
-- by gravity and bounced off the edges of an 800 x 600 window in the update,
-- and drawn one draw call each (LOVE batches them by texture itself).
--
-- usage: love bench/love bunnymark [BUNNIES [WARMUP [FRAMES]]]
-- Prints "BUNNIES FRAMES MILLISECONDS": the time of FRAMES frames after WARMUP.

local bunnymark = {}
local bunnies = {}
local image
local count, warmup, frames
local steps, started = 0, 0

function bunnymark.load(args)
  count = tonumber(args[1]) or 10000
  warmup = tonumber(args[2]) or 30
  frames = tonumber(args[3]) or 300
  -- The same picture as the Kestrel project's sprite.
  local path = love.filesystem.getSource() .. "/../bunnymark/bunnies/sprites/spr_bunny/0.png"
  local file = assert(io.open(path, "rb"))
  image = love.graphics.newImage(love.filesystem.newFileData(file:read("a"), "bunny.png"))
  file:close()
  local random = love.math.random
  for i = 1, count do
    bunnies[i] = { x = random() * 774, y = random() * 563, vx = random() * 10, vy = random() * 10 - 5 }
  end
end

function bunnymark.update()
  local random = love.math.random
  for i = 1, count do
    local b = bunnies[i]
    b.vy = b.vy + 0.5
    b.x = b.x + b.vx
    b.y = b.y + b.vy
    if b.x > 774 then
      b.vx = -b.vx
      b.x = 774
    elseif b.x < 0 then
      b.vx = -b.vx
      b.x = 0
    end
    if b.y > 563 then
      b.vy = b.vy * -0.85
      b.y = 563
      if random() > 0.5 then b.vy = b.vy - random() * 6 end
    elseif b.y < 0 then
      b.vy = 0
      b.y = 0
    end
  end
  steps = steps + 1
  if steps == warmup then started = love.timer.getTime() end
  if steps == warmup + frames then
    io.write(string.format("%d %d %d\n", count, frames, (love.timer.getTime() - started) * 1000))
    io.flush()
    love.event.quit()
  end
end

function bunnymark.draw()
  local draw = love.graphics.draw
  for i = 1, count do
    local b = bunnies[i]
    draw(image, b.x, b.y)
  end
end

return bunnymark
