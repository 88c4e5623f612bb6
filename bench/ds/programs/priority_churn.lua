-- A binary heap of {priority, value}, Lua's usual priority queue.
local heap, size = {}, 0
local function add(value, priority)
  size = size + 1
  local i = size
  heap[i] = {priority, value}
  while i > 1 do
    local parent = i // 2
    if heap[parent][1] <= heap[i][1] then break end
    heap[parent], heap[i] = heap[i], heap[parent]
    i = parent
  end
end
local function delete_min()
  local top = heap[1]
  heap[1] = heap[size]
  heap[size] = nil
  size = size - 1
  local i = 1
  while true do
    local smallest, left, right = i, 2 * i, 2 * i + 1
    if left <= size and heap[left][1] < heap[smallest][1] then smallest = left end
    if right <= size and heap[right][1] < heap[smallest][1] then smallest = right end
    if smallest == i then break end
    heap[smallest], heap[i] = heap[i], heap[smallest]
    i = smallest
  end
  return top[2]
end
local v = 1
for i = 0, 999 do
  v = (v * 75 + 74) % 65537
  add(i, v)
end
for i = 0, 399999 do
  delete_min()
  v = (v * 75 + 74) % 65537
  add(i, v)
end
print(string.format("%.4f", size))
