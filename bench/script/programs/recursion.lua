fib = "local n = ...; if n < 2 then return n end; return load(fib)(n - 1) + load(fib)(n - 2)"
local result = load(fib)(24)
print(string.format("%.4f", result))
