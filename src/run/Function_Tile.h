#pragma once

namespace kestrel {

class FunctionRegistry;

// The room's tiles one by one and in layers of equal depth.
void register_tile_functions(FunctionRegistry& functions);

}  // namespace kestrel
