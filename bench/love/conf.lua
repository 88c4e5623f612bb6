-- The window both comparison programs run in (main.lua picks the program).
function love.conf(t)
  t.version = "11.4"
  t.window.title = "benchmark"
  t.window.width = 800
  t.window.height = 600
  -- Unpaced, as kestrel-dev run is without --real-time.
  t.window.vsync = 0
  t.modules.audio = false
  t.modules.sound = false
  t.modules.joystick = false
  t.modules.physics = false
  t.modules.touch = false
  t.modules.video = false
end
