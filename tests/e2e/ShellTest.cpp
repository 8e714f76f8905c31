// The plug-in shell through the real library: loading, the information
// block, the stack discipline of every export, the version resource.
#include "tests/e2e/PluginHarness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

TEST(Shell, InfoBlockGetsExactlyTheFourTextsAndTerminators) {
  PluginCopy plugin;
  unsigned char block[320];
  memset(block, 0xA5, sizeof block);
  EXPECT_EQ(0, plugin.PlugInInfo(block));
  const std::vector<std::string> texts = {
      "Lumivox! Parcelon plug-in", "Halverin", "1.2",
      // "メールの移動／コピー." in Shift-JIS: full-width solidus 81 5E, ASCII stop.
      "\x83\x81\x81\x5B\x83\x8B\x82\xCC\x88\xDA\x93\xAE\x81\x5E\x83\x52\x83\x73\x81\x5B."};
  for (size_t f = 0; f < 4; ++f) {
    const unsigned char *field = block + 80 * f;
    const std::string &text = texts[f];
    EXPECT_EQ(0, memcmp(field, text.data(), text.size())) << "field " << f;
    EXPECT_EQ(0, field[text.size()]) << "terminator of field " << f;
    for (size_t i = text.size() + 1; i < 80; ++i)
      ASSERT_EQ(0xA5, field[i]) << "field " << f << " byte " << i << " was overwritten";
  }
  EXPECT_EQ(21u, texts[3].size());
}
