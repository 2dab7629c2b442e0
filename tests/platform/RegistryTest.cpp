#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "platform/Encoding.h"
#include "platform/Registry.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace {

using Strings = std::vector<std::string>;

// Products listed out of order and in mixed case, one key only implied by a deeper one.
const char* const kStore =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORIN\\ZIVODARORER10]\r\n"
    "Product=Tallix財務\r\nVersion=10.2.0\r\nType=10版\r\n"
    "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORIN\\velkoran]\r\nVersion=3.0.0\r\n"
    "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORIN\\Zivodarorer09]\r\nVersion=9.1.0\r\nFlags=dword:0000001f\r\nNeg=dword:FFFFFFFF\r\n"
    "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORIN\\Abc\\Deeper\\Still]\r\nX=1\r\n"
    "\r\n[HKEY_CURRENT_USER\\SOFTWARE\\QUORIN\\UserOnly]\r\nY=2\r\n";

}  // namespace

TEST(Registry, ListsSubkeysSortedAndReadsValues) {
  TempDir dir;
  ScopedEnv store("RENDO_REGISTRY", dir.Write("registry.ini", sjis::FromUtf8(kStore)));
  TRegistry reg;
  reg.RootKey = HKEY_LOCAL_MACHINE;
  ASSERT_TRUE(reg.OpenKey("\\software\\quorin\\"));
  EXPECT_EQ(reg.CurrentPath(), "software\\quorin");
  EXPECT_EQ(reg.GetKeyNames(), (Strings{"Abc", "velkoran", "Zivodarorer09", "ZIVODARORER10"}));
  EXPECT_TRUE(reg.GetValueNames().empty());

  ASSERT_TRUE(reg.OpenKey("zivodarorer10"));  // relative to the open key
  EXPECT_EQ(reg.GetDataType("Product"), TRegDataType::rdString);
  EXPECT_EQ(reg.ReadString("product"), "Tallix財務");
  EXPECT_EQ(reg.ReadString("Missing"), "");
  EXPECT_FALSE(reg.ValueExists("Missing"));
  EXPECT_THROW(reg.ReadInteger("Version"), ERegistryException);
  EXPECT_THROW(reg.ReadInteger("Missing"), ERegistryException);
  EXPECT_EQ(reg.GetValueNames(), (Strings{"Product", "Version", "Type"}));

  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\QUORIN\\ZIVODARORER09"));
  EXPECT_EQ(reg.GetDataType("Flags"), TRegDataType::rdInteger);
  EXPECT_EQ(reg.ReadInteger("flags"), 31);
  EXPECT_EQ(reg.ReadInteger("Neg"), -1);
  EXPECT_THROW(reg.ReadString("Flags"), ERegistryException);

  EXPECT_TRUE(reg.OpenKey("\\SOFTWARE\\QUORIN\\Abc"));  // exists only through its subkeys
  EXPECT_EQ(reg.GetKeyNames(), (Strings{"Deeper"}));
  EXPECT_FALSE(reg.OpenKey("\\SOFTWARE\\QUORIN\\UserOnly"));  // that one lives under another root
  EXPECT_FALSE(reg.KeyExists("\\SOFTWARE\\QUORIN\\ZIVODARORER"));  // a prefix of a name is no key
  EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\QUORIN\\Abc");  // a failed open keeps the open key

  reg.RootKey = HKEY_CURRENT_USER;
  EXPECT_TRUE(reg.KeyExists("\\SOFTWARE\\QUORIN\\UserOnly"));
}

TEST(Registry, MissingStoreIsAnEmptyRegistry) {
  TempDir dir;
  ScopedEnv store("RENDO_REGISTRY", dir.Str() + "/none.ini");
  TRegistry reg;
  reg.RootKey = HKEY_LOCAL_MACHINE;
  EXPECT_FALSE(reg.OpenKey("\\SOFTWARE\\QUORIN"));
  EXPECT_TRUE(reg.GetKeyNames().empty());
  EXPECT_EQ(reg.ReadString("Version"), "");
  EXPECT_EQ(TRegistry::SectionName(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\QUORIN"), "HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORIN");
}
