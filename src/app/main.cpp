#include <QApplication>
#include <QStringList>
#include <cstring>

#include "app/startup.h"
#include "platform/file_name_codec.h"
#include "player/player_set.h"

int main(int argc, char** argv) {
    // The arguments as their bytes: a file name need not be UTF-8.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << decodeFileName(argv[i], static_cast<qsizetype>(std::strlen(argv[i])));
    }
    prepareApplicationForVideo();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorvane"));
    if (!arguments.isEmpty() && arguments.first() == u"--extract-here") {
        return ExtractHereMain(app, arguments.mid(1));
    }
    return Main(app, arguments);
}
