-- The particle stream beside bench/particles/stream: one ParticleSystem
-- whose emission keeps PARTICLES alive (each lives 60 steps of 1/60 s), small
-- additive disks from orange to red fading out, over a rectangle of the
-- 800 x 600 window. Each frame is one step of 1/60 s, as in the runner.
--
-- usage: love bench/love particles [PARTICLES [WARMUP [FRAMES [LOGIC_ONLY]]]]
-- Prints "ALIVE FRAMES MILLISECONDS": the time of FRAMES frames after WARMUP.

local particles = {}
local system
local count, warmup, frames, logic_only
local steps, started = 0, 0

function particles.load(args)
  count = tonumber(args[1]) or 10000
  warmup = tonumber(args[2]) or 90
  frames = tonumber(args[3]) or 300
  logic_only = (tonumber(args[4]) or 0) ~= 0
  -- A white disk of 32 x 32 pixels, drawn at a quarter of its size.
  local disk = love.image.newImageData(32, 32)
  disk:mapPixel(function(x, y)
    local d = math.sqrt((x - 15.5) ^ 2 + (y - 15.5) ^ 2)
    return 1, 1, 1, math.max(0, math.min(1, 15.5 - d))
  end)
  system = love.graphics.newParticleSystem(love.graphics.newImage(disk), count + math.floor(count / 30) + 60)
  system:setParticleLifetime(1, 1)
  system:setEmissionRate(count)
  system:setEmissionArea("uniform", 300, 200)
  system:setPosition(400, 300)
  system:setSizes(0.25)
  system:setSpeed(60, 180)
  system:setSpread(2 * math.pi)
  system:setColors(1, 0.65, 0, 1, 1, 0, 0, 0)
end

function particles.update()
  system:update(1 / 60)
  steps = steps + 1
  if steps == warmup then started = love.timer.getTime() end
  if steps == warmup + frames then
    io.write(string.format("%d %d %d\n", system:getCount(), frames, (love.timer.getTime() - started) * 1000))
    io.flush()
    love.event.quit()
  end
end

function particles.draw()
  if logic_only then return end
  love.graphics.setBlendMode("add")
  love.graphics.draw(system)
  love.graphics.setBlendMode("alpha")
end

return particles
