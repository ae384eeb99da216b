#include "app/console_options.h"

#include <algorithm>

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace kdsp::app {
namespace {

QString Tr(int lang, const char* en, const char* zh) {
  return lang == 1 ? QString::fromUtf8(zh) : QString::fromUtf8(en);
}

struct Parser {
  explicit Parser(int lang)
      : host(QStringLiteral("host"),
             Tr(lang, "network address of the box for the first search",
                "首次搜索时使用的设备网络地址"),
             QStringLiteral("ADDRESS")),
        port(QStringLiteral("port"),
             Tr(lang, "TCP port of the box (default 8899)", "设备的 TCP 端口（默认 8899）"),
             QStringLiteral("PORT")),
        paced(QStringLiteral("paced"),
              Tr(lang, "keep the link at one request per timer tick (slow boxes)",
                 "联机时每个定时周期只发一个请求（适用于较慢的设备）")),
        demo(QStringLiteral("demo"),
             Tr(lang, "start the emulated box and connect to it", "启动模拟设备并连接到它")),
        help({"h", "help", "?"}, Tr(lang, "show this help and exit", "显示本帮助并退出")),
        version({"v", "version"}, Tr(lang, "show the version and exit", "显示版本并退出")) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({host, port, paced, demo, help, version});
  }

  QCommandLineParser parser;
  QCommandLineOption host, port, paced, demo, help, version;
};

QString OptionColumn(const QCommandLineOption& o) {
  QStringList names;
  for (const QString& n : o.names()) names << (n.size() == 1 ? "-" : "--") + n;
  QString column = names.join(", ");
  if (!o.valueName().isEmpty()) column += ' ' + o.valueName();
  return column;
}

QString HelpText(const Parser& p, int lang) {
  QString text = Tr(lang, "Usage: kdsp-console [options]\n", "用法：kdsp-console [选项]\n");
  text += Tr(lang, "Tuning console for the karaoke digital signal processor.\n\n",
             "卡拉OK数字信号处理器调音台。\n\n");
  text += Tr(lang, "Options:\n", "选项：\n");
  const QCommandLineOption* options[] = {&p.host, &p.port, &p.paced, &p.demo, &p.help, &p.version};
  qsizetype width = 0;
  for (const auto* o : options) width = std::max(width, OptionColumn(*o).size());
  for (const auto* o : options) {
    text += "  " + OptionColumn(*o).leftJustified(width + 2) + o->description() + '\n';
  }
  return text;
}

QString ErrorText(const Parser& p, const QStringList& args, bool parsed, int lang) {
  QString what;
  const QStringList unknown = p.parser.unknownOptionNames();
  const QStringList positional = parsed ? p.parser.positionalArguments() : QStringList();
  if (!unknown.isEmpty()) {
    const QString& name = unknown.first();
    what =
        Tr(lang, "unknown option '%1'", "未知选项“%1”").arg((name.size() == 1 ? "-" : "--") + name);
  } else if (!positional.isEmpty()) {
    what = Tr(lang, "unexpected argument '%1'", "多余的参数“%1”").arg(positional.first());
  } else {
    // An option that takes a value takes the next word, whatever it is, so a value can only be
    // missing at the end of the line.
    QString last = args.isEmpty() ? QString() : args.last();
    while (last.startsWith('-')) last.remove(0, 1);
    const bool missing = last == p.host.names().first() || last == p.port.names().first();
    what = missing ? Tr(lang, "option '%1' needs a value", "选项“%1”缺少值").arg(args.last())
                   : p.parser.errorText();
  }
  return "kdsp-console: " + what + '\n' +
         Tr(lang, "Try 'kdsp-console --help' for the options.\n",
            "可用“kdsp-console --help”查看选项。\n");
}

}  // namespace

ConsoleCommandLine ParseConsoleCommandLine(const QStringList& args, int lang) {
  Parser p(lang);
  ConsoleCommandLine out;
  const bool parsed = p.parser.parse(args);
  if (!parsed || !p.parser.positionalArguments().isEmpty()) {
    out.action = ConsoleCommandLine::Action::kError;
    out.text = ErrorText(p, args, parsed, lang);
    return out;
  }
  if (p.parser.isSet(p.help)) {
    out.action = ConsoleCommandLine::Action::kHelp;
    out.text = HelpText(p, lang);
    return out;
  }
  if (p.parser.isSet(p.version)) {
    out.action = ConsoleCommandLine::Action::kVersion;
    out.text = QStringLiteral("kdsp-console " KDSP_VERSION "\n");
    return out;
  }
  out.options.host = p.parser.value(p.host);
  out.options.port = p.parser.value(p.port);
  out.options.paced = p.parser.isSet(p.paced);
  out.options.demo = p.parser.isSet(p.demo);
  return out;
}

bool MayHoldQtOptions(const QStringList& args) {
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a.size() > 2 && a[0] == '-' && a[1] != '-') return true;
  }
  return false;
}

}  // namespace kdsp::app
