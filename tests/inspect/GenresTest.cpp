// The ID3v1 genre names.
#include <gtest/gtest.h>

#include "Genres.h"

namespace vtinspect {
namespace {

TEST(Genres, NamesByNumberAndNumbersByName) {
  EXPECT_EQ(GenreName(0), "Blues");
  EXPECT_EQ(GenreName(79), "Hard Rock");
  EXPECT_EQ(GenreName(80), "Folk");
  EXPECT_EQ(GenreName(147), "Synthpop");
  EXPECT_EQ(GenreName(191), "Psybient");
  for (const int none : {-1, 192, 254, kNoGenre}) EXPECT_FALSE(GenreName(none)) << none;
  EXPECT_EQ(GenreByName("hard ROCK"), 79);
  EXPECT_EQ(GenreByName("Psybient"), 191);
  EXPECT_FALSE(GenreByName("Polka Metal"));
  EXPECT_FALSE(GenreByName(""));
}

}  // namespace
}  // namespace vtinspect
