#include <gtest/gtest.h>

#include "runtime/expr_token.h"

namespace zor {
namespace {

std::vector<Token> lex(std::string_view text) {
  std::vector<Token> tokens;
  tokenize(text, tokens);
  return tokens;
}

std::vector<uint8_t> operators(std::string_view text) {
  std::vector<uint8_t> codes;
  for (const Token& token : lex(text)) {
    if (token.kind == TokenKind::kOperator) codes.push_back(token.op);
  }
  return codes;
}

TEST(ExprTokenTest, RelationalPairsAreReadAsOneOperator) {
  EXPECT_EQ(operators("a<>b a~=b a<=b a=<b a~>b"),
            (std::vector<uint8_t>{op::kNotEqual, op::kNotEqual, op::kLessEqual, op::kLessEqual,
                                  op::kLessEqual}));
  EXPECT_EQ(operators("a>=b a=>b a~<b a=b a<b a>b"),
            (std::vector<uint8_t>{op::kGreaterEqual, op::kGreaterEqual, op::kGreaterEqual,
                                  op::kEqual, op::kLess, op::kGreater}));
  // Only adjacent characters pair; "<" then "-" are two tokens.
  EXPECT_EQ(operators("a<-1"), (std::vector<uint8_t>{op::kLess, op::kSubtract}));
  EXPECT_EQ(operators("~a"), (std::vector<uint8_t>{op::kNot}));
}

TEST(ExprTokenTest, KeywordsAreOperatorsInAnyCase) {
  EXPECT_EQ(operators("a and b Or c xOr NOT d"),
            (std::vector<uint8_t>{op::kAnd, op::kOr, op::kXor, op::kNot}));
  auto tokens = lex("ANDY");
  EXPECT_EQ(tokens[0].kind, TokenKind::kName);
}

TEST(ExprTokenTest, NamesKeepPrefixesAndGroupParts) {
  auto tokens = lex("SEC:DESCRIPTION = ?List:2 + Q.Field + s[1:2]");
  EXPECT_EQ(tokens[0].text, "SEC:DESCRIPTION");
  EXPECT_EQ(tokens[2].text, "?List");  // ":" before a digit is a separator
  EXPECT_EQ(tokens[3].kind, TokenKind::kSeparator);
  EXPECT_EQ(tokens[6].text, "Q.Field");
  EXPECT_EQ(tokens[9].kind, TokenKind::kOpenBracket);
  EXPECT_EQ(tokens[11].op, op::kColon);
}

TEST(ExprTokenTest, StringsNumbersAndPositions) {
  auto tokens = lex("  'it''s' & 12.5 % .5");
  EXPECT_EQ(tokens[0].kind, TokenKind::kString);
  EXPECT_EQ(tokens[0].text, "'it''s'");
  EXPECT_EQ(tokens[0].pos, 2u);
  EXPECT_EQ(tokens[2].kind, TokenKind::kNumber);
  EXPECT_EQ(tokens[2].text, "12.5");
  EXPECT_EQ(tokens[3].kind, TokenKind::kPercent);
  EXPECT_EQ(tokens[4].text, ".5");
  EXPECT_EQ(tokens.back().kind, TokenKind::kEnd);
  EXPECT_EQ(tokens.back().pos, 21u);
}

TEST(ExprTokenTest, PicturesEndWhereThePictureEnds) {
  auto tokens = lex("FORMAT(x,@N(9.2)) & FORMAT(d,@D6-) & @P###-##PB,@K@@-##K @S10");
  EXPECT_EQ(tokens[4].text, "@N(9.2)");
  EXPECT_EQ(tokens[5].kind, TokenKind::kClose);
  EXPECT_EQ(tokens[11].text, "@D6-");
  EXPECT_EQ(tokens[14].text, "@P###-##PB");
  EXPECT_EQ(tokens[16].text, "@K@@-##K");
  EXPECT_EQ(tokens[17].text, "@S10");
  EXPECT_EQ(lex("@N~EUR 1~12.2")[0].text, "@N~EUR 1~12.2");
}

TEST(ExprTokenTest, ErrorsStopAtTheOffendingCharacter) {
  auto tokens = lex("a + 'open");
  EXPECT_EQ(tokens.back().kind, TokenKind::kError);
  EXPECT_EQ(tokens.back().pos, 4u);
  EXPECT_EQ(lex("a # b").back().pos, 2u);
  EXPECT_EQ(lex("@P###").back().kind, TokenKind::kError);  // no closing P
  EXPECT_EQ(lex("@").back().kind, TokenKind::kError);
}

}  // namespace
}  // namespace zor
