-- The LOVE side of the frame-rate comparisons: the first argument names the
-- program (bunnymark or particles, a module beside this file with load,
-- update and draw), the rest are that program's arguments.
--
-- usage: love bench/love PROGRAM [ARGUMENTS...]

local program

-- The stock loop less its millisecond's sleep after each frame, which would
-- pace LOVE where Kestrel runs flat out.
function love.run()
  local args = love.arg.parseGameArguments(arg)
  program = require(table.remove(args, 1))
  program.load(args)
  love.timer.step()
  return function()
    love.event.pump()
    for name, a, b, c, d, e, f in love.event.poll() do
      if name == "quit" then return a or 0 end
      love.handlers[name](a, b, c, d, e, f)
    end
    love.timer.step()
    program.update()
    if love.graphics.isActive() then
      love.graphics.origin()
      love.graphics.clear(love.graphics.getBackgroundColor())
      program.draw()
      love.graphics.present()
    end
  end
end
