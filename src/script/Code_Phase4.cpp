#include "script/Code_Phase4.h"

#include <unordered_set>
#include <vector>

#include "script/Code_Error.h"
#include "script/Code_Main.h"
#include "script/Code_Operator.h"
#include "script/script_engine.h"

namespace kestrel {

namespace {

class Finisher {
 public:
  Finisher(ScriptEngine& engine, CCode& code) : engine_(engine), code_(code) {}

  bool run() {
    // Children come before their parent, in text order, so a `var` only
    // affects the references written after it. The walk keeps its own stack
    // so that a long chain of operators cannot exhaust the machine's.
    struct Frame {
      std::int32_t node;
      std::int32_t next_child;
    };
    std::vector<Frame> stack{{code_.root(), 0}};
    while (!stack.empty()) {
      Frame& frame = stack.back();
      const RToken& node = code_.nodes[frame.node];
      if (frame.next_child < node.child_count) {
        const std::int32_t child = code_.child(node, frame.next_child++);
        stack.push_back({child, 0});
        continue;
      }
      const std::int32_t done = frame.node;
      stack.pop_back();
      if (!finish(done)) return false;
    }
    return true;
  }

 private:
  bool is_constant(std::int32_t node) const {
    return code_.nodes[node].kind == kNodeConstant && code_.nodes[node].constant >= 0;
  }
  RValue& constant_of(std::int32_t node) { return code_.constants[code_.nodes[node].constant]; }
  void make_constant(std::int32_t node, RValue value) {
    RToken& token = code_.nodes[node];
    token.kind = kNodeConstant;
    token.child_count = 0;
    token.constant = static_cast<std::int32_t>(code_.constants.size());
    code_.constants.push_back(std::move(value));
  }

  bool finish(std::int32_t index) {
    if (!fold(index)) return false;
    mark_reads_only(code_.nodes[index]);
    return true;
  }

  void mark_reads_only(RToken& node) const {
    switch (node.kind) {
      case kNodeConstant:
      case kNodeFixedVariable:
      case kNodeVariable:
      case kNodeUnary:
      case kNodeBinary:
        node.reads_only = true;
        for (std::int32_t i = 0; i < node.child_count; ++i) {
          node.reads_only = node.reads_only && code_.nodes[code_.child(node, i)].reads_only;
        }
        return;
      default:
        node.reads_only = false;
    }
  }

  bool fold(std::int32_t index) {
    RToken& node = code_.nodes[index];
    switch (node.kind) {
      case kNodeVar:
        for (std::int32_t i = 0; i < node.child_count; ++i) {
          locals_.insert(code_.nodes[code_.child(node, i)].op);
        }
        return true;
      case kNodeVariable:
        return finish_variable(index);
      case kNodeUnary: {
        const std::int32_t operand = code_.child(node, 0);
        if (!is_constant(operand)) return true;
        RValue value = constant_of(operand);
        std::string_view message;
        if (!unary_operation(node.op, value, message)) {
          record_code_error(engine_, code_, code_.nodes[operand].position, message);
          return false;
        }
        make_constant(index, std::move(value));
        return true;
      }
      case kNodeBinary: {
        const std::int32_t left = code_.child(node, 0);
        const std::int32_t right = code_.child(node, 1);
        if (!is_constant(left) || !is_constant(right)) return true;
        RValue value = constant_of(left);
        std::string_view message;
        if (!binary_operation(node.op, value, constant_of(right), message)) {
          record_code_error(engine_, code_, code_.nodes[right].position, message);
          return false;
        }
        make_constant(index, std::move(value));
        return true;
      }
      default:
        return true;
    }
  }

  bool finish_variable(std::int32_t index) {
    RToken& node = code_.nodes[index];
    const std::int32_t instance = code_.child(node, 0);
    if (!is_constant(instance)) return true;
    RValue& designator = constant_of(instance);
    if (designator.is_real() && designator.real() == double{kUnspecified} &&
        locals_.count(node.op) != 0) {
      // The instance constant of a plain reference belongs to that node alone.
      designator.set_real(double{kLocal});
    }
    if (node.child_count > 1) return true;
    if (designator.is_string()) {
      record_code_error(engine_, code_, code_.nodes[instance].position,
                        "Left hand side must be a real value.");
      return false;
    }
    node.kind = kNodeFixedVariable;
    node.fixed_instance = round_to_int32(designator.real());
    node.child_count = 0;
    return true;
  }

  ScriptEngine& engine_;
  CCode& code_;
  std::unordered_set<std::int32_t> locals_;
};

}  // namespace

bool finish_tree(ScriptEngine& engine, CCode& code) {
  return Finisher(engine, code).run();
}

}  // namespace kestrel
