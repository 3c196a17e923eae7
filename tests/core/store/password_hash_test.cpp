#include "store/password_hash.h"

#include <gtest/gtest.h>

namespace vornik {
namespace {

TEST(PasswordTest, AHashAcceptsExactlyItsPassword) {
    const Result<std::string> hashed = HashPassword("qexor");
    ASSERT_TRUE(hashed.Ok()) << hashed.Error();
    const std::string stored = hashed.Value();
    EXPECT_TRUE(IsPasswordHash(stored));
    EXPECT_EQ(stored.find("qexor"), std::string::npos);
    EXPECT_TRUE(CheckPassword("qexor", stored));
    EXPECT_FALSE(CheckPassword("Qexor", stored));
    EXPECT_FALSE(CheckPassword("qexor ", stored));
    EXPECT_FALSE(CheckPassword("", stored));
    // Each hash has its own salt.
    EXPECT_NE(HashPassword("qexor").Value(), stored);
}

TEST(PasswordTest, StoredValuesThatAreNoHashCompareAsTheyStand) {
    EXPECT_TRUE(CheckPassword("", ""));
    EXPECT_FALSE(CheckPassword("x", ""));
    EXPECT_TRUE(CheckPassword("plain", "plain"));
    EXPECT_FALSE(CheckPassword("plain", "Plain"));
    // A damaged hash is not a hash: only its own text matches it.
    EXPECT_FALSE(IsPasswordHash("pbkdf2-sha256$0$00$00"));
    EXPECT_FALSE(CheckPassword("qexor", "pbkdf2-sha256$12$zz$00"));
}

}  // namespace
}  // namespace vornik
