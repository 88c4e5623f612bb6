// helpers for the test game
// two comment lines come before the first section
#define add
return argument0 + argument1;
#define join
return argument0 + "+" + argument1;
#define started
show_debug_message("initialized with EXT_BASE " + string(EXT_BASE));
#define stopped
show_debug_message("finalized");
#define fail
x = undefined_thing;
