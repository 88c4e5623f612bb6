#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// One list per resource kind, indexed from 0. A slot whose entry does not
// exist keeps its index, holds no resource and has an empty name.
template <class T>
class ResourceList {
 public:
  struct Slot {
    std::string name;
    std::optional<T> resource;

    bool operator==(const Slot&) const = default;
  };

  int count() const { return int(slots_.size()); }
  bool exists(int index) const { return index >= 0 && index < count() && slots_[index].resource; }
  const T* get(int index) const { return exists(index) ? &*slots_[index].resource : nullptr; }
  T* get(int index) { return exists(index) ? &*slots_[index].resource : nullptr; }
  // The name, or "<undefined>" for an index with no resource.
  std::string name(int index) const { return exists(index) ? slots_[index].name : "<undefined>"; }
  // The index of the first existing resource with exactly this name, or -1.
  int find(const std::string& name) const {
    for (int i = 0; i < count(); ++i)
      if (exists(i) && slots_[i].name == name) return i;
    return -1;
  }

  T& add(std::string name, T resource = T{}) {
    slots_.push_back({std::move(name), std::move(resource)});
    return *slots_.back().resource;
  }
  void add_empty() { slots_.emplace_back(); }
  // Gives the slot (which must be inside the list) this resource, keeping its name.
  T& put(int index, T resource) {
    slots_[std::size_t(index)].resource = std::move(resource);
    return *slots_[std::size_t(index)].resource;
  }
  // The list operations of game code: a resource made at run time is
  // appended under `prefix` (such as "__newsprite") followed by its index.
  int add_new(const std::string& prefix, T resource = T{}) {
    const int index = count();
    add(prefix + std::to_string(index), std::move(resource));
    return index;
  }
  // Appends a copy of an existing resource; -1 when it does not exist.
  int duplicate(const std::string& prefix, int index) {
    if (!exists(index)) return -1;
    T copy = *get(index);
    return add_new(prefix, std::move(copy));
  }
  // Makes `target` a copy of `source` (a default resource when the source
  // slot is empty), filling an empty target slot; false when either index
  // is outside the list.
  bool assign(int target, int source) {
    if (target < 0 || target >= count() || source < 0 || source >= count()) return false;
    T copy = exists(source) ? *get(source) : T{};
    put(target, std::move(copy));
    return true;
  }
  // Empties the slot; the resources after it keep their indices.
  void remove(int index) {
    if (exists(index)) slots_[index] = Slot{};
  }
  void clear() { slots_.clear(); }

  const std::vector<Slot>& slots() const { return slots_; }

  bool operator==(const ResourceList&) const = default;

 private:
  std::vector<Slot> slots_;
};

}  // namespace kestrel
