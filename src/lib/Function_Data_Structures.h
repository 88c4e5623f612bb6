#pragma once

namespace kestrel {

class FunctionRegistry;

// Stacks, queues, lists, maps, priority queues and grids, their tolerance
// and their text forms.
void register_data_structure_functions(FunctionRegistry& functions);

}  // namespace kestrel
