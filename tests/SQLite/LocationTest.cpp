#include "SQLite/Location.h"

#include <gtest/gtest.h>

namespace {

using sql::Location;
using sql::URIQueryParameter;

TEST(Location, FixedTextsAndParametersAppendedInOrderWithTheFileScheme) {
  EXPECT_EQ(Location::inMemory().description(), ":memory:");
  EXPECT_EQ(Location::temporary().description(), "");
  EXPECT_EQ(Location::uri("/tmp/a b/db.sqlite3").description(), "/tmp/a b/db.sqlite3");
  const auto location =
      Location::uri("test.sqlite", {URIQueryParameter::mode(URIQueryParameter::FileMode::readOnly),
                                    URIQueryParameter::cache(URIQueryParameter::CacheMode::shared)});
  EXPECT_EQ(location.description(), "file:test.sqlite?mode=ro&cache=shared");
  EXPECT_EQ(Location::uri("/data/x.db", {URIQueryParameter::immutable(true)}).description(),
            "file:/data/x.db?immutable=1");
}

TEST(Location, AnExistingQueryKeepsItsItemsFirstAndASchemeIsKept) {
  EXPECT_EQ(Location::uri("file:x.db?vfs=unix", {URIQueryParameter::nolock(false)}).description(),
            "file:x.db?vfs=unix&nolock=0");
  EXPECT_EQ(Location::uri("file:x.db?", {URIQueryParameter::nolock(true)}).description(),
            "file:x.db?nolock=1");
  EXPECT_EQ(Location::uri("file:x.db#end", {URIQueryParameter::nolock(true)}).description(),
            "file:x.db?nolock=1#end");
}

TEST(Location, EveryParameterUsesTheNameTheEngineReads) {
  EXPECT_EQ(URIQueryParameter::cache(URIQueryParameter::CacheMode::Private).description(), "cache=private");
  EXPECT_EQ(URIQueryParameter::immutable(false).description(), "immutable=0");
  EXPECT_EQ(URIQueryParameter::modeOf("/srv/ref.db").description(), "modeof=/srv/ref.db");
  EXPECT_EQ(URIQueryParameter::mode(URIQueryParameter::FileMode::readWriteCreate).description(), "mode=rwc");
  EXPECT_EQ(URIQueryParameter::mode(URIQueryParameter::FileMode::readWrite).description(), "mode=rw");
  EXPECT_EQ(URIQueryParameter::mode(URIQueryParameter::FileMode::memory).description(), "mode=memory");
  EXPECT_EQ(URIQueryParameter::nolock(true).description(), "nolock=1");
  EXPECT_EQ(URIQueryParameter::powersafeOverwrite(true).description(), "psow=1");
  EXPECT_EQ(URIQueryParameter::vfs("unix-dotfile").description(), "vfs=unix-dotfile");
  // A value cannot end its query item.
  EXPECT_EQ(URIQueryParameter::modeOf("a&mode=ro#x y").description(), "modeof=a%26mode%3Dro%23x%20y");
}

TEST(Location, ModesConvertFromTheirRawTextsOnly) {
  EXPECT_EQ(URIQueryParameter::fileMode("rwc"), URIQueryParameter::FileMode::readWriteCreate);
  EXPECT_EQ(URIQueryParameter::cacheMode("private"), URIQueryParameter::CacheMode::Private);
  EXPECT_FALSE(URIQueryParameter::fileMode("RO"));
  EXPECT_FALSE(URIQueryParameter::cacheMode(""));
}

TEST(Location, APathThatCannotCarryParametersIsAnError) {
  EXPECT_THROW(Location::uri("/tmp/a b.db", {URIQueryParameter::nolock(true)}), std::invalid_argument);
  EXPECT_THROW(Location::uri("/tmp/100%.db", {URIQueryParameter::nolock(true)}), std::invalid_argument);
  EXPECT_THROW(Location::uri("", {URIQueryParameter::nolock(true)}), std::invalid_argument);
}

}  // namespace
