// kestrel-sim: a programming adapter with a 68HC12 chip on a pseudo-terminal.

#include "sim_judge.h"
#include "sim_options.h"
#include "sim_serve.h"
#include "standard_descriptors.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

using namespace kestrel::sim;

int main(int argc, char* argv[])
{
    // Before anything is opened: a closed 0, 1 or 2 would otherwise go to the first file opened.
    if (!kestrel::openClosedStandardDescriptors())
        return 2;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestrel-sim"));

    const ParsedSimOptions parsed = parseSimOptions(QCoreApplication::arguments());
    switch (parsed.action) {
    case ParsedSimOptions::Action::ShowText:
        std::fputs(qPrintable(parsed.text), stdout);
        return 0;
    case ParsedSimOptions::Action::Fail:
        std::fprintf(stderr, "kestrel-sim: %s\n", qPrintable(parsed.text));
        return 1;
    case ParsedSimOptions::Action::Run:
        break;
    }
    if (parsed.options.judgeFile)
        return judgeTraceFile(QFile::encodeName(*parsed.options.judgeFile).toStdString(),
                              parsed.options.chip);
    return serveAdapter(parsed.options);
}
