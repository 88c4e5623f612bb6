// Any text read as a data structure must be taken whole or refused, never
// crash or allocate what the text does not justify; what was taken must work
// and write itself back so that it reads the same again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <type_traits>

#include "data/Support_Stream.h"
#include "lib/Support_Data_Structures.h"

namespace {

using namespace kestrel;

template <class Kind, class Read>
void check(std::string_view text, Read read, void (*use)(Kind&)) {
  CStream stream;
  HexToStream(stream, text);
  std::optional<Kind> structure = read(stream);
  if (!structure) return;
  CStream written;
  structure->write(written);
  CStream again(written.bytes());
  std::optional<Kind> reread = read(again);
  if (!reread) std::abort();
  CStream rewritten;
  reread->write(rewritten);
  // A map puts keys in order as it reads them, and an order with a tolerance
  // is not transitive, so near-equal keys may come back in another order.
  const bool same = std::is_same_v<Kind, CDS_Map> ? rewritten.size() == written.size()
                                                  : rewritten.bytes() == written.bytes();
  if (!same) std::abort();
  use(*structure);
}

double precision = 0.00000001;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  // Half the inputs are bytes written out as digits, so the decoder sees
  // well-formed text; the other half reach the digit reader as they are.
  const std::string text = data[0] & 8 ? std::string(rest) : [&] {
    CStream bytes;
    bytes.write(rest.data(), rest.size());
    return StreamToHex(bytes);
  }();
  switch (data[0] % 6) {
    case 0:
      check<CDS_Stack>(text, CDS_Stack::read, [](CDS_Stack& stack) {
        while (stack.size() > 0) stack.pop();
      });
      break;
    case 1:
      check<CDS_Queue>(text, CDS_Queue::read, [](CDS_Queue& queue) {
        queue.enqueue(RValue(1.0));
        while (queue.size() > 0) queue.dequeue();
      });
      break;
    case 2:
      check<CDS_List>(text, CDS_List::read, [](CDS_List& list) {
        list.sort(true, precision);
        list.find_index(RValue(0.0), precision);
      });
      break;
    case 3:
      check<CDS_Map>(
          text, [](CStream& stream) { return CDS_Map::read(stream, precision); },
          [](CDS_Map& map) {
            for (RValue key = map.find_first(); map.size() > 0; key = map.find_first()) {
              map.find_next(key);
              map.erase(key);
            }
          });
      break;
    case 4:
      check<CDS_Priority>(text, CDS_Priority::read, [](CDS_Priority& queue) {
        // Both ends in turn, so the index by priority meets every removal.
        for (bool largest = true; queue.size() > 0; largest = !largest) {
          queue.extreme(largest, true, precision);
        }
      });
      break;
    case 5:
      check<CDS_Grid>(text, CDS_Grid::read, [](CDS_Grid& grid) {
        grid.statistics(GridArea::region(0, 0, grid.width() - 1, grid.height() - 1));
        grid.change_from(grid, GridArea::region(0, 0, grid.width(), grid.height()), 1, 1,
                         CellChange::add);
      });
      break;
  }
  return 0;
}
