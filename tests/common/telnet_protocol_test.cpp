#include "common/telnet_protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zol {
namespace {

constexpr char IAC = '\xFF', WILL = '\xFB', WONT = '\xFC', DO = '\xFD', DONT = '\xFE', SB = '\xFA', SE = '\xF0';
constexpr char TTYPE = 24, ECHO_ = 1, SGA = 3, NAWS = 31, BINARY = 0;

std::string Bytes(std::initializer_list<char> b) { return std::string(b); }

TEST(TelnetProtocol, AnswersEveryNegotiation) {
  struct Case {
    const char* name;
    std::string in;
    std::string out;
  };
  const std::string ttype_is = Bytes({IAC, SB, TTYPE, 0}) + "dumb" + Bytes({IAC, SE});
  const Case cases[] = {
      {"DO TTYPE", Bytes({IAC, DO, TTYPE}), Bytes({IAC, WILL, TTYPE})},
      {"WILL ECHO", Bytes({IAC, WILL, ECHO_}), Bytes({IAC, DO, ECHO_})},
      {"WILL SGA", Bytes({IAC, WILL, SGA}), Bytes({IAC, DO, SGA})},
      {"DO ECHO", Bytes({IAC, DO, ECHO_}), Bytes({IAC, WONT, ECHO_})},
      {"DO SGA", Bytes({IAC, DO, SGA}), Bytes({IAC, WONT, SGA})},
      {"DO NAWS", Bytes({IAC, DO, NAWS}), Bytes({IAC, WONT, NAWS})},
      {"WILL BINARY", Bytes({IAC, WILL, BINARY}), Bytes({IAC, DONT, BINARY})},
      {"WILL TTYPE", Bytes({IAC, WILL, TTYPE}), Bytes({IAC, DONT, TTYPE})},
      {"WONT ECHO unasked", Bytes({IAC, WONT, ECHO_}), ""},
      {"DO TTYPE, SB SEND", Bytes({IAC, DO, TTYPE, IAC, SB, TTYPE, 1, IAC, SE}), Bytes({IAC, WILL, TTYPE}) + ttype_is},
  };
  for (const Case& c : cases) {
    TelnetProtocol p;
    EXPECT_EQ(p.Receive(c.in), "") << c.name;
    EXPECT_EQ(p.TakeOutput(), c.out) << c.name;
    EXPECT_EQ(p.Error(), "") << c.name;
  }
}

TEST(TelnetProtocol, DataByte255IsEscapedBothWays) {
  TelnetProtocol p;
  EXPECT_EQ(p.Receive(Bytes({'a', IAC, IAC, 'b'})), Bytes({'a', IAC, 'b'}));
  EXPECT_EQ(p.TakeOutput(), "");
  p.Send(Bytes({'x', IAC, 'y', '\r', '\n'}));
  EXPECT_EQ(p.TakeOutput(), Bytes({'x', IAC, IAC, 'y', '\r', '\n'}));
  EXPECT_EQ(p.TakeOutput(), "");
}

TEST(TelnetProtocol, SequencesSplitAcrossReadsAreJoined) {
  const std::string stream = "Hi" + Bytes({IAC, DO, TTYPE}) + "there" + Bytes({IAC, IAC}) + "!" +
                             Bytes({IAC, SB, TTYPE, 1, IAC, SE}) + Bytes({IAC, '\xF1'}) + "Password: ";
  const std::string data = "Hithere" + Bytes({IAC}) + "!Password: ";
  const std::string answers =
      Bytes({IAC, WILL, TTYPE}) + Bytes({IAC, SB, TTYPE, 0}) + "dumb" + Bytes({IAC, SE});
  // Every split into pieces of one size, from one byte each to the whole.
  for (size_t piece = 1; piece <= stream.size(); ++piece) {
    TelnetProtocol p;
    std::string got, out;
    for (size_t i = 0; i < stream.size(); i += piece) {
      got += p.Receive(stream.substr(i, piece));
      out += p.TakeOutput();
    }
    EXPECT_EQ(got, data) << piece;
    EXPECT_EQ(out, answers) << piece;
  }
}

}  // namespace
}  // namespace zol
