#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "script/RValue.h"

namespace kestrel {

class CStream;

// Arrays are rows of columns: flat index i * 32000 + j is row i, column j.
inline constexpr std::int32_t kArrayRowWidth = 32000;

struct RVariable {
  std::int32_t index = 0;
  RValue value;                           // the scalar, which is also element 0
  std::vector<std::vector<RValue>> rows;  // the other elements
};

// The stream form of one value: kind, real and string; both fields travel.
void save_value(CStream& stream, const RValue& value);
RValue load_value(CStream& stream);

// The variables of one instance, of the globals or of one execution's locals.
// Entries keep their order of creation; a look-up takes the newest match.
class CVariableList {
 public:
  CVariableList() = default;
  CVariableList(const CVariableList& other) { assign(other); }
  CVariableList& operator=(const CVariableList& other) {
    if (this != &other) assign(other);
    return *this;
  }
  CVariableList(CVariableList&&) noexcept = default;
  CVariableList& operator=(CVariableList&&) noexcept = default;

  // Stores a copy of the value, creating the entry and the elements as needed;
  // returns how many rows and elements it created.
  std::size_t set(std::int32_t index, std::int32_t flat_index, const RValue& value);
  // The stored value, or null when the variable or element is missing.
  const RValue* get(std::int32_t index, std::int32_t flat_index) const;
  // The storage of a variable or element, or null when it is missing; the
  // pointer stays valid until the list is next changed.
  RValue* find_slot(std::int32_t index, std::int32_t flat_index);
  // The storage of the scalar, created as real 0 when absent.
  RValue& scalar_slot(std::int32_t index);
  // As the look-ups above, trying the entry position `hint` first and
  // updating it; code nodes keep one hint each so repeated reads skip the scan.
  RValue* find_scalar(std::int32_t index, std::int32_t& hint) {
    RVariable* entry = find_entry(index, hint);
    return entry ? &entry->value : nullptr;
  }
  RValue& scalar_slot(std::int32_t index, std::int32_t& hint);
  RValue* find_slot(std::int32_t index, std::int32_t flat_index, std::int32_t& hint);
  // An element by row and column, as find_slot finds flat index
  // row * kArrayRowWidth + column.
  RValue* find_element(std::int32_t index, std::int32_t row, std::int32_t column,
                       std::int32_t& hint) {
    RVariable* entry = find_entry(index, hint);
    return entry ? element_of(*entry, row, column) : nullptr;
  }
  // An element of an entry's rows by row and column, or null past their end.
  static RValue* element_of(RVariable& entry, std::int32_t row, std::int32_t column) {
    if (row == 0 && column == 0) return &entry.value;
    if (static_cast<std::size_t>(row) >= entry.rows.size()) return nullptr;
    std::vector<RValue>& cells = entry.rows[static_cast<std::size_t>(row)];
    return static_cast<std::size_t>(column) < cells.size() ? &cells[column] : nullptr;
  }
  RVariable* find_entry(std::int32_t index, std::int32_t& hint) {
    if (hint >= 0 && static_cast<std::size_t>(hint) < entries_.size() &&
        entries_[hint].index == index) [[likely]] {
      return &entries_[hint];
    }
    return search_entry(index, hint);
  }

  // Adds an entry with real 0 unless the index is present already.
  void declare(std::int32_t index);
  void clear() {
    entries_.clear();
    positions_.reset();
  }
  // Makes this list a deep copy of the other.
  void assign(const CVariableList& other);

  // The stream form of saved games: version 440, then every entry with its
  // scalar and rows. Loading replaces the list; another version leaves it empty.
  void save(CStream& stream) const;
  bool load(CStream& stream);

  std::size_t count() const { return entries_.size(); }
  const std::vector<RVariable>& entries() const { return entries_; }

 private:
  std::int32_t position_of(std::int32_t index) const;
  RVariable* search_entry(std::int32_t index, std::int32_t& hint);
  static RValue* element_of(RVariable& entry, std::int32_t flat_index) {
    return element_of(entry, flat_index / kArrayRowWidth, flat_index % kArrayRowWidth);
  }
  std::int32_t append(std::int32_t index);

  std::vector<RVariable> entries_;
  // Long lists (the globals, typically) are indexed by variable index; short
  // ones are scanned, which is faster for the few variables of an instance.
  std::unique_ptr<std::unordered_map<std::int32_t, std::int32_t>> positions_;
};

}  // namespace kestrel
