#include "main/arguments.h"

#include <QLatin1StringView>
#include <cstddef>
#include <cstdio>

#include "app/command_line.h"
#include "batch/batch.h"
#include "window/startup.h"

namespace tamariko {
namespace {

// Qt's own options on this platform (QGuiApplication, QApplication and the X11 plugin),
// taken out of the arguments by Qt itself.
constexpr const char* kQtOptionsWithValue[] = {"platform",
                                               "platformpluginpath",
                                               "platformtheme",
                                               "plugin",
                                               "qwindowgeometry",
                                               "qwindowicon",
                                               "qwindowtitle",
                                               "session",
                                               "style",
                                               "stylesheet",
                                               "qmljsdebugger",
                                               "display",
                                               "name",
                                               "visual",
                                               "geometry",
                                               "title",
                                               "icon"};
constexpr const char* kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb"};
// The only ones Qt also reads as -name=value.
constexpr const char* kQtOptionsWithInlineValue[] = {"style", "stylesheet", "qmljsdebugger"};

template <std::size_t N>
bool OneOf(const char* const (&names)[N], const QString& name) {
  for (const char* n : names) {
    if (name == QLatin1StringView(n)) return true;
  }
  return false;
}

WindowUsageError Refuse(const QString& argument, const QString& japanese, const QString& english) {
  return {QStringLiteral("「%1」%2 (%3; see --help)").arg(argument, japanese, english)};
}

}  // namespace

WindowArguments ParseWindowArguments(const QStringList& arguments) {
  WindowArguments result;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (!argument.startsWith(u'-')) {
      throw Refuse(
          argument, QStringLiteral("という引数は使えません。ウィンドウはファイルを開きません"),
          QStringLiteral("unexpected argument '%1'; the window opens no files").arg(argument));
    }
    // Qt reads "--name" as "-name"; so does the batch mode.
    QString name = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
    const qsizetype equals = name.indexOf(u'=');
    const bool inlineValue = equals >= 0;
    if (inlineValue) name.truncate(equals);

    if (OneOf(kQtOptionsWithValue, name) &&
        (!inlineValue || OneOf(kQtOptionsWithInlineValue, name))) {
      if (!inlineValue && ++i >= arguments.size()) {
        throw Refuse(argument, QStringLiteral("の後に値がありません"),
                     QStringLiteral("'%1' needs a value").arg(argument));
      }
    } else if (!inlineValue && OneOf(kQtFlags, name)) {
      // Qt's switch: nothing to check.
    } else if (!inlineValue && name == QLatin1StringView("help")) {
      result.help = true;
    } else if (!inlineValue && name == QLatin1StringView("version")) {
      result.version = true;
    } else if (name == QLatin1StringView("seed")) {
      QString value;
      if (inlineValue) {
        value = argument.mid(argument.indexOf(u'=') + 1);
      } else if (++i < arguments.size()) {
        value = arguments[i];
      } else {
        throw Refuse(argument, QStringLiteral("の後に値がありません"),
                     QStringLiteral("'%1' needs a value").arg(argument));
      }
      result.seed = SeedOfText(value);
      if (!result.seed) {
        throw Refuse(argument + QLatin1Char(' ') + value,
                     QStringLiteral(": 種は 0〜4294967295 の整数です"),
                     QStringLiteral("the seed is a whole number from 0 to 4294967295"));
      }
    } else if (name == QLatin1StringView("batch")) {
      throw Refuse(argument, QStringLiteral("という指定はありません。--batch のことですか"),
                   QStringLiteral("unknown option '%1'; did you mean --batch?").arg(argument));
    } else if (IsBatchOptionName(name)) {
      throw Refuse(argument, QStringLiteral("は --batch と一緒にだけ使えます"),
                   QStringLiteral("'%1' works only together with --batch").arg(argument));
    } else {
      throw Refuse(argument, QStringLiteral("という指定はありません"),
                   QStringLiteral("unknown option '%1'").arg(argument));
    }
  }
  return result;
}

QString WindowHelpText() {
  return QStringLiteral(
      "使い方 / usage: tamariko [Qt options]\n"
      "               tamariko --batch [options]\n"
      "\n"
      "引数なしで起動するとウィンドウが開きます。\n"
      "Without arguments the program opens its window.\n"
      "ウィンドウなしで問題を作る指定は tamariko --batch --help に出ます。\n"
      "The options that make problems without a window: tamariko --batch --help.\n"
      "\n"
      "  --seed N          乱数の種 (0〜4294967295)。最初のケリモで tamariko --batch --seed N\n"
      "                    と同じ問題ができます。/ seed of the random numbers: the first\n"
      "                    ケリモ makes the sets of tamariko --batch --seed N.\n"
      "  --help            この説明 / this help\n"
      "  --version         版 / version\n"
      "\n"
      "回数、見出し、チェック、プリンターの設定は次回のために\n"
      "~/.config/tamariko/tamariko.conf ($XDG_CONFIG_HOME/tamariko) に残ります。\n"
      "The window remembers the round, the headings, the ticked sheets and the printer\n"
      "settings in ~/.config/tamariko/tamariko.conf ($XDG_CONFIG_HOME/tamariko).\n"
      "\n"
      "Qt の標準の指定も使えます / Qt's standard options are accepted:\n"
      "  -platform NAME[:OPTIONS]  -platformpluginpath PATH  -platformtheme NAME\n"
      "  -plugin NAME  -qwindowgeometry GEOMETRY  -qwindowicon ICON  -qwindowtitle TITLE\n"
      "  -session ID  -style STYLE  -stylesheet FILE  -qmljsdebugger PORT\n"
      "  -reverse  -widgetcount\n"
      "  X11: -display DISPLAY  -geometry GEOMETRY  -title TITLE  -icon ICON  -name NAME\n"
      "       -visual ID  -nograb  -dograb\n"
      "\n"
      "終了コード / exit status: 0 成功 done, 1 この説明か版を書けなかった cannot write\n"
      "this help or the version, 2 引数の誤り bad arguments,\n"
      "128+シグナル番号 SIGTERM・SIGHUP・SIGINT で閉じた (閉じるときと同じく片付けます)\n"
      "128 + the signal: closed by SIGTERM, SIGHUP or SIGINT, as on a normal close.\n");
}

std::optional<int> AnswerBeforeWindow(int argc, char** argv) {
  WindowArguments asked;
  try {
    asked = ParseWindowArguments(ArgumentList(argc, argv));
  } catch (const WindowUsageError& e) {
    std::fprintf(stderr, "tamariko: %s\n", e.message.toLocal8Bit().constData());
    return 2;
  }
  if (asked.help) return WriteStandardOutput(WindowHelpText().toLocal8Bit()) ? 0 : 1;
  if (asked.version) return WriteStandardOutput("tamariko " TAMARIKO_VERSION "\n") ? 0 : 1;
  Startup().Seed = asked.seed;
  return std::nullopt;
}

}  // namespace tamariko
