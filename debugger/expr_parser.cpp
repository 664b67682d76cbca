#include "debugger/expr_parser.h"

#include <vector>

#include "debugger/expr_lexer.h"
#include "debugger/expression_texts.h"

namespace orven::debugger {
namespace {

using debuginfo::PointerKind;
using debuginfo::Type;
using debuginfo::TypeCode;
using debuginfo::TypeElement;

struct Binary {
  std::string_view text;
  Op op;
  int precedence;  // higher binds tighter
};

constexpr Binary kBinaries[] = {
    {"||", Op::kLogicalOr, 1}, {"&&", Op::kLogicalAnd, 2}, {"|", Op::kBitOr, 3},         {"^", Op::kBitXor, 4},
    {"&", Op::kBitAnd, 5},     {"==", Op::kEqual, 6},      {"!=", Op::kNotEqual, 6},     {"<", Op::kLess, 7},
    {">", Op::kGreater, 7},    {"<=", Op::kLessEqual, 7},  {">=", Op::kGreaterEqual, 7}, {"<<", Op::kShl, 8},
    {">>", Op::kShr, 8},       {"@", Op::kRepeat, 9},      {"+", Op::kAdd, 10},          {"-", Op::kSub, 10},
    {"*", Op::kMul, 11},       {"/", Op::kDiv, 11},        {"%", Op::kMod, 11},
};

bool IsTypeWord(std::string_view w) {
  static constexpr std::string_view kWords[] = {"unsigned", "signed", "char",   "short",   "int",     "long",
                                                "float",    "double", "void",   "_Bool",   "bool",    "struct",
                                                "union",    "__data", "__near", "__idata", "__xdata", "__far",
                                                "__pdata",  "__code", "const",  "volatile"};
  for (std::string_view k : kWords) {
    if (w == k) return true;
  }
  return false;
}

std::optional<PointerKind> SpaceQualifier(std::string_view w) {
  if (w == "__data" || w == "__near") return PointerKind::kData;
  if (w == "__idata") return PointerKind::kIdata;
  if (w == "__xdata" || w == "__far") return PointerKind::kXdata;
  if (w == "__pdata") return PointerKind::kPdata;
  if (w == "__code") return PointerKind::kCode;
  return std::nullopt;
}

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  ParseResult Run(std::string_view text) {
    text_ = text;
    ParseResult out;
    auto root = Assignment();
    if (root && Peek().kind != TokenKind::kEnd) root = Fail();
    if (!root) {
      out.error = error_;
      return out;
    }
    out.root = std::move(root);
    return out;
  }

 private:
  const Token& Peek(size_t ahead = 0) const {
    size_t i = pos_ + ahead;
    return i < tokens_.size() ? tokens_[i] : tokens_.back();
  }
  bool IsPunct(std::string_view p, size_t ahead = 0) const {
    const Token& t = Peek(ahead);
    return t.kind == TokenKind::kPunct && t.text == p;
  }
  bool TakePunct(std::string_view p) {
    if (!IsPunct(p)) return false;
    ++pos_;
    return true;
  }

  // gdb names the rest of the text from the token it could not use.
  std::unique_ptr<Node> Fail() {
    if (error_.empty()) {
      std::string rest(text_.substr(Peek().offset));
      error_ = texts::Fill(texts::kSyntaxNear, rest);
    }
    return nullptr;
  }

  bool Enter() {
    if (++depth_ > kMaxExpressionDepth) {
      error_ = texts::Fill(texts::kTooDeep, std::to_string(kMaxExpressionDepth));
      return false;
    }
    return true;
  }

  std::unique_ptr<Node> Make(NodeKind kind, Op op, std::unique_ptr<Node> left, std::unique_ptr<Node> right = {}) {
    auto n = std::make_unique<Node>();
    n->kind = kind;
    n->op = op;
    n->left = std::move(left);
    n->right = std::move(right);
    return n;
  }

  std::unique_ptr<Node> Assignment() {
    if (!Enter()) return nullptr;
    auto left = BinaryLevel(1);
    if (left && TakePunct("=")) {
      auto right = Assignment();
      left = right ? Make(NodeKind::kAssign, Op::kNone, std::move(left), std::move(right)) : nullptr;
    }
    --depth_;
    return left;
  }

  std::unique_ptr<Node> BinaryLevel(int precedence) {
    if (precedence > 11) return Unary();
    auto left = BinaryLevel(precedence + 1);
    while (left) {
      const Binary* match = nullptr;
      for (const Binary& b : kBinaries) {
        if (b.precedence == precedence && IsPunct(b.text)) match = &b;
      }
      if (!match) break;
      ++pos_;
      auto right = BinaryLevel(precedence + 1);
      if (!right) return nullptr;
      left = Make(NodeKind::kBinary, match->op, std::move(left), std::move(right));
    }
    return left;
  }

  std::unique_ptr<Node> Unary() {
    if (!Enter()) return nullptr;
    auto n = UnaryInner();
    --depth_;
    return n;
  }

  std::unique_ptr<Node> UnaryInner() {
    static constexpr std::pair<std::string_view, Op> kUnaries[] = {{"-", Op::kNegate}, {"+", Op::kPlus},
                                                                   {"!", Op::kNot},    {"~", Op::kComplement},
                                                                   {"*", Op::kDeref},  {"&", Op::kAddressOf}};
    for (const auto& [text, op] : kUnaries) {
      if (TakePunct(text)) {
        auto operand = Unary();
        return operand ? Make(NodeKind::kUnary, op, std::move(operand)) : nullptr;
      }
    }
    if (Peek().kind == TokenKind::kSpace) {
      Space space = SpaceOfLetter(Peek().text[0]);
      ++pos_;
      auto address = Unary();
      if (!address) return nullptr;
      auto n = Make(NodeKind::kRawMemory, Op::kNone, std::move(address));
      n->space = space;
      return n;
    }
    if (Peek().kind == TokenKind::kName && Peek().text == "sizeof") {
      ++pos_;
      if (IsPunct("(") && Peek(1).kind == TokenKind::kName && IsTypeWord(Peek(1).text)) {
        ++pos_;
        auto n = Make(NodeKind::kSizeofType, Op::kNone, nullptr);
        if (!TypeName(n->type) || !TakePunct(")")) return Fail();
        return n;
      }
      auto operand = Unary();
      return operand ? Make(NodeKind::kSizeofExpr, Op::kNone, std::move(operand)) : nullptr;
    }
    if (IsPunct("(") && Peek(1).kind == TokenKind::kName && IsTypeWord(Peek(1).text)) {
      ++pos_;
      auto n = Make(NodeKind::kCast, Op::kNone, nullptr);
      if (!TypeName(n->type) || !TakePunct(")")) return Fail();
      n->left = Unary();
      return n->left ? std::move(n) : nullptr;
    }
    return Postfix();
  }

  static Space SpaceOfLetter(char letter) {
    switch (letter) {
      case 'X': return Space::kXdata;
      case 'I': return Space::kIdata;
      case 'C': return Space::kCode;
      case 'P': return Space::kPdata;
      default: return Space::kData;
    }
  }

  // unsigned char, long, struct packet, unsigned char __xdata *, ... Fills the chain; sizes come later.
  bool TypeName(Type& type) {
    int longs = 0;
    bool isUnsigned = false;
    bool isSigned = false;
    std::optional<TypeCode> base;
    std::string tag;
    PointerKind qualifier = PointerKind::kGeneric;  // generic: none written
    while (Peek().kind == TokenKind::kName && IsTypeWord(Peek().text)) {
      std::string w = Peek().text;
      ++pos_;
      if (auto q = SpaceQualifier(w)) {
        qualifier = *q;
      } else if (w == "unsigned") {
        isUnsigned = true;
      } else if (w == "signed") {
        isSigned = true;
      } else if (w == "long") {
        ++longs;
      } else if (w == "short") {
        if (!base) base = TypeCode::kInt;
      } else if (w == "struct" || w == "union") {
        if (Peek().kind != TokenKind::kName) return false;
        tag = Peek().text;
        ++pos_;
        base = TypeCode::kStruct;
      } else if (w == "char") {
        base = TypeCode::kChar;
      } else if (w == "int") {
        if (!base) base = TypeCode::kInt;
      } else if (w == "float" || w == "double") {
        base = TypeCode::kFloat;
      } else if (w == "void") {
        base = TypeCode::kVoid;
      } else if (w == "_Bool" || w == "bool") {
        base = TypeCode::kBool;
      }  // const and volatile change nothing a debugger reads
    }
    if (isSigned && isUnsigned) return false;
    TypeElement spec;
    if (longs > 0) {
      if (base && base != TypeCode::kInt) return false;
      spec.code = longs > 1 ? TypeCode::kLongLong : TypeCode::kLong;
    } else if (base) {
      spec.code = *base;
    } else if (isSigned || isUnsigned) {
      spec.code = TypeCode::kInt;
    } else {
      return false;
    }
    spec.structName = tag;
    // Plain char is unsigned on this compiler.
    type.isUnsigned = isUnsigned || (spec.code == TypeCode::kChar && !isSigned);
    std::vector<TypeElement> pointers;
    while (true) {
      if (Peek().kind == TokenKind::kName) {
        auto q = SpaceQualifier(Peek().text);
        if (!q && Peek().text != "const" && Peek().text != "volatile") break;
        if (q) qualifier = *q;
        ++pos_;
        continue;
      }
      if (!TakePunct("*")) break;
      TypeElement p;
      p.code = TypeCode::kPointer;
      p.pointer = qualifier;
      qualifier = PointerKind::kGeneric;
      pointers.push_back(p);
      if (pointers.size() >= debuginfo::kMaxTypeChain - 1) return false;
    }
    // The last star written is the outermost declarator.
    type.chain.assign(pointers.rbegin(), pointers.rend());
    type.chain.push_back(spec);
    return true;
  }

  std::unique_ptr<Node> Postfix() {
    auto n = Primary();
    while (n) {
      if (TakePunct("[")) {
        auto index = Assignment();
        if (!index || !TakePunct("]")) return Fail();
        n = Make(NodeKind::kIndex, Op::kNone, std::move(n), std::move(index));
      } else if (IsPunct("(")) {
        error_ = texts::kNoCalls;
        return nullptr;
      } else if (IsPunct(".") || IsPunct("->")) {
        NodeKind kind = IsPunct(".") ? NodeKind::kMember : NodeKind::kArrow;
        ++pos_;
        if (Peek().kind != TokenKind::kName) return Fail();
        n = Make(kind, Op::kNone, std::move(n));
        n->text = Peek().text;
        ++pos_;
      } else {
        break;
      }
      // Each postfix nests the tree one level deeper, as brackets do.
      if (++postfixes_ > kMaxExpressionDepth) {
        depth_ = kMaxExpressionDepth;
        Enter();
        return nullptr;
      }
    }
    return n;
  }

  std::unique_ptr<Node> Primary() {
    const Token& t = Peek();
    auto n = std::make_unique<Node>();
    switch (t.kind) {
      case TokenKind::kInteger: {
        n->kind = NodeKind::kInteger;
        n->value = t.value;
        SizeLiteral(t, *n);
        break;
      }
      case TokenKind::kFloat:
        n->kind = NodeKind::kFloat;
        n->real = t.real;
        break;
      case TokenKind::kCharacter:
        n->kind = NodeKind::kCharacter;
        n->value = t.value;
        break;
      case TokenKind::kName:
        if (IsTypeWord(t.text)) return Fail();
        n->kind = NodeKind::kName;
        n->text = t.text;
        break;
      case TokenKind::kRegister:
        n->kind = NodeKind::kRegister;
        n->text = t.text;
        break;
      case TokenKind::kPunct:
        if (t.text == "(") {
          ++pos_;
          auto inner = Assignment();
          if (!inner || !TakePunct(")")) return Fail();
          return inner;
        }
        return Fail();
      default: return Fail();
    }
    ++pos_;
    return n;
  }

  // C's rule for the type of an integer constant, with int 16 and long 32 bits wide.
  static void SizeLiteral(const Token& t, Node& n) {
    struct Rank {
      uint32_t size;
      bool isUnsigned;
      uint64_t max;
    };
    static constexpr Rank kRanks[] = {{2, false, 0x7FFF},
                                      {2, true, 0xFFFF},
                                      {4, false, 0x7FFFFFFF},
                                      {4, true, 0xFFFFFFFF},
                                      {8, false, 0x7FFFFFFFFFFFFFFF},
                                      {8, true, UINT64_MAX}};
    for (const Rank& r : kRanks) {
      if (t.isLong && r.size < 4) continue;
      if (t.isUnsigned && !r.isUnsigned) continue;
      if (t.isDecimal && !t.isUnsigned && r.isUnsigned && r.size < 8) continue;
      if (t.value <= r.max) {
        n.literalSize = r.size;
        n.isUnsigned = r.isUnsigned;
        return;
      }
    }
    n.literalSize = 8;
    n.isUnsigned = true;
  }

  std::vector<Token> tokens_;
  std::string_view text_;
  size_t pos_ = 0;
  unsigned depth_ = 0;
  unsigned postfixes_ = 0;
  std::string error_;
};

}  // namespace

ParseResult ParseExpression(std::string_view text) {
  ParseResult out;
  if (text.size() > kMaxExpressionLength) {
    out.error = texts::Fill(texts::kTooLong, std::to_string(kMaxExpressionLength));
    return out;
  }
  LexResult lexed = Tokenize(text);
  if (!lexed.error.empty()) {
    out.error = lexed.error;
    return out;
  }
  return Parser(std::move(lexed.tokens)).Run(text);
}

}  // namespace orven::debugger
