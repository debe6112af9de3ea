#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/associations.h"

namespace sylvane {
namespace {

TEST(Associations, CanvasKeysAndValues) {
  const AssociationKeys k = AssociationFor(DocumentKind::kCanvas, "C:\\Garden");
  EXPECT_EQ(k.extension, ".syl");
  EXPECT_EQ(k.prog_id, "SylvaneSYL");
  EXPECT_EQ(k.icon_index, 2);
  EXPECT_EQ(k.command_key, "SylvaneSYL\\shell\\open\\command");
  EXPECT_EQ(k.command_value, "C:\\Garden\\sylvane %1");
  EXPECT_EQ(k.icon_key, "SylvaneSYL\\DefaultIcon");
  EXPECT_EQ(k.icon_value, "C:\\Garden\\sylvane.exe,2");
}

TEST(Associations, TreeKeysAndValues) {
  const AssociationKeys k = AssociationFor(DocumentKind::kTree, "D:\\木\\prog");
  EXPECT_EQ(k.extension, ".ki");
  EXPECT_EQ(k.prog_id, "SylvaneKI");
  EXPECT_EQ(k.command_key, "SylvaneKI\\shell\\open\\command");
  EXPECT_EQ(k.command_value, "D:\\木\\prog\\sylvane %1");
  EXPECT_EQ(k.icon_value, "D:\\木\\prog\\sylvane.exe,3");
}

TEST(Associations, FolderEndingInATrailByteGetsItsSeparator) {
  // 表 is 95 5C: its second byte is no separator, so one is added.
  const AssociationKeys k = AssociationFor(DocumentKind::kCanvas, "C:\\\x95\x5C");
  EXPECT_EQ(k.command_value, "C:\\\x95\x5C\\sylvane %1");
  // A drive's root already ends in its separator.
  EXPECT_EQ(AssociationFor(DocumentKind::kCanvas, "C:\\").command_value, "C:\\sylvane %1");
}

TEST(Associations, WriteOrderAndErrorNumbers) {
  const AssociationKeys k = AssociationFor(DocumentKind::kTree, "C:\\p");
  const std::vector<AssociationWrite> w = AssociationWrites(k);
  ASSERT_EQ(w.size(), 3u);
  EXPECT_EQ(w[0].key, "SylvaneKI\\shell\\open\\command");
  EXPECT_EQ(w[0].value, "C:\\p\\sylvane %1");
  EXPECT_EQ(w[0].error_number, 1);
  EXPECT_EQ(w[1].key, ".ki");
  EXPECT_EQ(w[1].value, "SylvaneKI");
  EXPECT_EQ(w[1].error_number, 2);
  EXPECT_EQ(w[2].key, "SylvaneKI\\DefaultIcon");
  EXPECT_EQ(w[2].value, "C:\\p\\sylvane.exe,3");
  EXPECT_EQ(w[2].error_number, 3);
  EXPECT_EQ(AssociationCreateError(2), "RegCreateKeyExでエラーが発生しました2");
  EXPECT_EQ(std::string(kAssociationCreateCaption), "Error");
  // Values are stored without their NUL.
  EXPECT_EQ(RegistryStringLength(w[0].value), 15u);
}

TEST(Associations, DeletionOrder) {
  const AssociationKeys k = AssociationFor(DocumentKind::kCanvas, "C:\\p");
  EXPECT_EQ(AssociationDeletions(k), (std::vector<std::string>{"SylvaneSYL\\shell\\open\\command",
                                                               "SylvaneSYL\\shell\\open", "SylvaneSYL\\shell",
                                                               "SylvaneSYL\\DefaultIcon", "SylvaneSYL", ".syl"}));
}

TEST(Associations, CommandMatchesOnlyTheExactText) {
  const std::string expected = "C:\\p\\sylvane %1";
  EXPECT_TRUE(CommandValueMatches(expected.c_str(), expected.size(), expected));
  EXPECT_TRUE(CommandValueMatches(expected.c_str(), expected.size() + 1, expected));  // with its NUL
  // Another copy of the program in another folder.
  const std::string other = "C:\\q\\sylvane %1";
  EXPECT_FALSE(CommandValueMatches(other.c_str(), other.size(), expected));
  // A shorter value is not taken for the whole command.
  EXPECT_FALSE(CommandValueMatches(expected.c_str(), 4, expected));
  const std::string longer = expected + " /x";
  EXPECT_FALSE(CommandValueMatches(longer.c_str(), longer.size(), expected));
  EXPECT_FALSE(CommandValueMatches(nullptr, 0, expected));
}

TEST(Associations, StartupShortcut) {
  EXPECT_EQ(StartupShortcutPath("C:\\Users\\u\\Startup"), "C:\\Users\\u\\Startup\\シルヴァネ.lnk");
  EXPECT_EQ(ProgramExecutablePath("C:\\p"), "C:\\p\\sylvane.exe");
}

}  // namespace
}  // namespace sylvane
