-- The particle stream beside bench/particles/stream: one ParticleSystem
-- whose emission keeps PARTICLES alive (each lives 60 steps of 1/60 s), small
-- additive disks from orange to red fading out, over a rectangle of the
-- 800 x 600 window. Each frame is one step of 1/60 s, as in the runner.
--
-- usage: love bench/particles/love [PARTICLES [WARMUP [FRAMES [LOGIC_ONLY]]]]
-- Prints "ALIVE FRAMES MILLISECONDS": the time of FRAMES frames after WARMUP.

local system
local count, warmup, frames, logic_only
local steps, started = 0, 0

function love.load(args)
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
  system = love.graphics.newParticleSystem(love.graphics.newImage(disk), count + count // 30 + 60)
  system:setParticleLifetime(1, 1)
  system:setEmissionRate(count)
  system:setEmissionArea("uniform", 300, 200)
  system:setPosition(400, 300)
  system:setSizes(0.25)
  system:setSpeed(60, 180)
  system:setSpread(2 * math.pi)
  system:setColors(1, 0.65, 0, 1, 1, 0, 0, 0)
end

function love.update()
  system:update(1 / 60)
  steps = steps + 1
  if steps == warmup then started = love.timer.getTime() end
  if steps == warmup + frames then
    io.write(string.format("%d %d %d\n", system:getCount(), frames, (love.timer.getTime() - started) * 1000))
    io.flush()
    love.event.quit()
  end
end

function love.draw()
  if logic_only then return end
  love.graphics.setBlendMode("add")
  love.graphics.draw(system)
  love.graphics.setBlendMode("alpha")
end

-- The stock loop less its millisecond's sleep after each frame, which would
-- pace LOVE where Kestrel runs flat out.
function love.run()
  love.load(love.arg.parseGameArguments(arg), arg)
  love.timer.step()
  return function()
    love.event.pump()
    for name, a, b, c, d, e, f in love.event.poll() do
      if name == "quit" then return a or 0 end
      love.handlers[name](a, b, c, d, e, f)
    end
    love.update(love.timer.step())
    if love.graphics.isActive() then
      love.graphics.origin()
      love.graphics.clear(0, 0, 0)
      love.draw()
      love.graphics.present()
    end
  end
end
