#include "platform/resource.h"

#include <gtest/gtest.h>

#include <QImage>

#include "core/error.h"
#include "resources/resources.h"

namespace tamariko {
namespace {

TEST(LoadResource, FindsTheCarriedFontWhateverTheCase) {
  const QByteArray font = LoadResource(QStringLiteral("MYFONT"), QStringLiteral("MyFont"));
  ASSERT_GT(font.size(), 100000);
  EXPECT_EQ(font.left(4), QByteArray("\x00\x01\x00\x00", 4)) << "a TrueType (glyf) font";
  for (const auto& [type, name] : {std::pair{"myfont", "myfont"}, std::pair{"MyFont", "MYFONT"},
                                   std::pair{"mYfOnT", "mYfOnT"}}) {
    SCOPED_TRACE(std::string(type) + "/" + name);
    EXPECT_EQ(LoadResource(QString::fromLatin1(type), QString::fromLatin1(name)), font);
  }
}

TEST(LoadResource, MissingResourceIsAnErrorNamingIt) {
  for (const auto& [type, name] :
       {std::pair{"MYFONT", "OtherFont"}, std::pair{"NOTYPE", "MyFont"}, std::pair{"", ""},
        std::pair{"MYFONT/..", "MyFont"}, std::pair{"bitmaps", "../MYFONT/MyFont"}}) {
    SCOPED_TRACE(std::string(type) + "/" + name);
    try {
      LoadResource(QString::fromLatin1(type), QString::fromLatin1(name));
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
    }
  }
}

TEST(CarriedResources, BitmapsAreLinkedIntoTheExecutable) {
  ASSERT_TRUE(ResourcesLinked());
  for (const auto& [path, size] :
       {std::pair{kKerimoBitmap, QSize(153, 67)}, std::pair{kInsatsuBitmap, QSize(153, 67)},
        std::pair{kInsatsuSetteiBitmap, QSize(153, 67)},
        std::pair{kFourArrowsIcon, QSize(34, 31)}}) {
    SCOPED_TRACE(path.toStdString());
    const QImage image(path);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), size);
  }
}

}  // namespace
}  // namespace tamariko
