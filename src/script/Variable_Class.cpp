#include "script/Variable_Class.h"

#include "data/Support_Stream.h"

namespace kestrel {

namespace {

constexpr std::size_t kIndexedFrom = 24;

}  // namespace

std::int32_t CVariableList::position_of(std::int32_t index) const {
  if (positions_) {
    const auto found = positions_->find(index);
    return found == positions_->end() ? -1 : found->second;
  }
  for (std::int32_t position = static_cast<std::int32_t>(entries_.size()) - 1; position >= 0;
       --position) {
    if (entries_[position].index == index) return position;
  }
  return -1;
}

std::int32_t CVariableList::append(std::int32_t index) {
  const auto position = static_cast<std::int32_t>(entries_.size());
  entries_.push_back(RVariable{index, RValue(), {}});
  if (positions_) {
    positions_->emplace(index, position);
  } else if (entries_.size() > kIndexedFrom) {
    positions_ = std::make_unique<std::unordered_map<std::int32_t, std::int32_t>>();
    for (std::int32_t i = 0; i <= position; ++i) (*positions_)[entries_[i].index] = i;
  }
  return position;
}

std::size_t CVariableList::set(std::int32_t index, std::int32_t flat_index, const RValue& value) {
  std::int32_t position = position_of(index);
  if (position < 0) position = append(index);
  RVariable& entry = entries_[position];
  if (flat_index == 0) {
    entry.value = value;
    return 0;
  }
  const auto row = static_cast<std::size_t>(flat_index / kArrayRowWidth);
  const auto column = static_cast<std::size_t>(flat_index % kArrayRowWidth);
  std::size_t created = 0;
  if (entry.rows.size() <= row) {
    created += row + 1 - entry.rows.size();
    entry.rows.resize(row + 1);
  }
  std::vector<RValue>& cells = entry.rows[row];
  if (cells.size() <= column) {
    created += column + 1 - cells.size();
    cells.resize(column + 1);
  }
  cells[column] = value;
  return created;
}

RValue* CVariableList::find_slot(std::int32_t index, std::int32_t flat_index) {
  const std::int32_t position = position_of(index);
  return position < 0 ? nullptr : element_of(entries_[position], flat_index);
}

RValue* CVariableList::find_slot(std::int32_t index, std::int32_t flat_index, std::int32_t& hint) {
  RVariable* entry = find_entry(index, hint);
  return entry ? element_of(*entry, flat_index) : nullptr;
}

const RValue* CVariableList::get(std::int32_t index, std::int32_t flat_index) const {
  return const_cast<CVariableList*>(this)->find_slot(index, flat_index);
}

RValue& CVariableList::scalar_slot(std::int32_t index) {
  std::int32_t position = position_of(index);
  if (position < 0) position = append(index);
  return entries_[position].value;
}

RVariable* CVariableList::search_entry(std::int32_t index, std::int32_t& hint) {
  const std::int32_t position = position_of(index);
  if (position < 0) return nullptr;
  hint = position;
  return &entries_[position];
}

RValue& CVariableList::scalar_slot(std::int32_t index, std::int32_t& hint) {
  if (RValue* found = find_scalar(index, hint)) return *found;
  hint = append(index);
  return entries_[hint].value;
}

void CVariableList::declare(std::int32_t index) {
  if (position_of(index) < 0) append(index);
}

void CVariableList::assign(const CVariableList& other) {
  entries_ = other.entries_;
  positions_.reset();
  if (other.positions_) {
    positions_ =
        std::make_unique<std::unordered_map<std::int32_t, std::int32_t>>(*other.positions_);
  }
}

namespace {

constexpr std::int32_t kListVersion = 440;

}  // namespace

void save_value(CStream& stream, const RValue& value) {
  WriteInt(stream, static_cast<std::int32_t>(value.kind()));
  WriteReal(stream, value.real());
  WriteString(stream, value.text());
}

RValue load_value(CStream& stream) {
  const auto kind = static_cast<ValueKind>(ReadInt(stream) == 1 ? 1 : 0);
  RValue value(ReadReal(stream));
  const std::string text = ReadString(stream);
  if (kind == ValueKind::string || !text.empty()) {
    // Both fields travel: the one the kind does not select is kept as it was.
    const double real = value.real();
    value.set_text(text);
    value.set_real(real);
    value.set_kind(kind);
  }
  return value;
}

void CVariableList::save(CStream& stream) const {
  WriteInt(stream, kListVersion);
  WriteInt(stream, static_cast<std::int32_t>(entries_.size()));
  for (const RVariable& entry : entries_) {
    WriteInt(stream, entry.index);
    save_value(stream, entry.value);
    WriteInt(stream, static_cast<std::int32_t>(entry.rows.size()));
    for (const auto& row : entry.rows) {
      WriteInt(stream, static_cast<std::int32_t>(row.size()));
      for (const RValue& element : row) save_value(stream, element);
    }
  }
}

bool CVariableList::load(CStream& stream) {
  clear();
  if (ReadInt(stream) != kListVersion) return false;
  const std::int32_t count = ReadInt(stream);
  for (std::int32_t i = 0; i < count && !stream.failed(); ++i) {
    const std::int32_t position = append(ReadInt(stream));
    entries_[static_cast<std::size_t>(position)].value = load_value(stream);
    const std::int32_t rows = ReadInt(stream);
    // A damaged count stops at the end of the stream instead of allocating.
    for (std::int32_t r = 0; r < rows && !stream.failed(); ++r) {
      std::vector<RValue>& row = entries_[static_cast<std::size_t>(position)].rows.emplace_back();
      const std::int32_t elements = ReadInt(stream);
      for (std::int32_t e = 0; e < elements && !stream.failed(); ++e) {
        row.push_back(load_value(stream));
      }
    }
  }
  return !stream.failed();
}

}  // namespace kestrel
