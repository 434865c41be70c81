// A Qt window with one text field for the injection tests. It writes the
// field's text to a file on every change, so a test can see what arrived.
//
//   injection_qt_target --output FILE [--widget line|text|password]
//                       [--text INITIAL] [--select START END] [--caret N]
//   injection_qt_target --output FILE --own-clipboard TEXT HTML
//
// The second form owns the clipboard with a plain-text and an HTML format,
// writes "ready" to FILE and stays until killed.
#include <QApplication>
#include <QClipboard>
#include <QCommandLineParser>
#include <QLineEdit>
#include <QMimeData>
#include <QSaveFile>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWidget>

namespace {

void writeOutput(const QString &path, const QString &text)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text.toUtf8());
        file.commit();
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("parlowind-qt-target"));
    QCommandLineParser parser;
    parser.addOptions({
        { QStringLiteral("output"), QStringLiteral("File that receives the text."), QStringLiteral("file") },
        { QStringLiteral("widget"), QStringLiteral("line, text or password."), QStringLiteral("kind"),
          QStringLiteral("line") },
        { QStringLiteral("text"), QStringLiteral("Initial text."), QStringLiteral("text") },
        { QStringLiteral("caret"), QStringLiteral("Caret offset."), QStringLiteral("offset") },
        { QStringLiteral("select"), QStringLiteral("Select from START (with END as argument)."),
          QStringLiteral("start") },
        { QStringLiteral("own-clipboard"), QStringLiteral("Own the clipboard with TEXT (and HTML as argument)."),
          QStringLiteral("text") },
    });
    parser.process(app);
    const QString output = parser.value(QStringLiteral("output"));

    if (parser.isSet(QStringLiteral("own-clipboard"))) {
        auto *data = new QMimeData;
        data->setText(parser.value(QStringLiteral("own-clipboard")));
        data->setHtml(parser.positionalArguments().value(0));
        QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
        writeOutput(output, QStringLiteral("ready"));
        return app.exec();
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("Qt text target"));
    auto *layout = new QVBoxLayout(&window);
    const QString kind = parser.value(QStringLiteral("widget"));
    const QString initial = parser.value(QStringLiteral("text"));
    const int caret = parser.value(QStringLiteral("caret")).toInt();
    const bool select = parser.isSet(QStringLiteral("select"));
    const int selectStart = parser.value(QStringLiteral("select")).toInt();
    const int selectEnd = parser.positionalArguments().value(0).toInt();

    if (kind == QStringLiteral("text")) {
        auto *edit = new QTextEdit(&window);
        edit->setAcceptRichText(false);
        edit->setPlainText(initial);
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(select ? selectStart : caret);
        if (select)
            cursor.setPosition(selectEnd, QTextCursor::KeepAnchor);
        edit->setTextCursor(cursor);
        QObject::connect(edit, &QTextEdit::textChanged, edit,
                         [edit, output] { writeOutput(output, edit->toPlainText()); });
        layout->addWidget(edit);
        edit->setFocus();
    } else {
        auto *edit = new QLineEdit(&window);
        if (kind == QStringLiteral("password"))
            edit->setEchoMode(QLineEdit::Password);
        edit->setText(initial);
        if (select)
            edit->setSelection(selectStart, selectEnd - selectStart);
        else
            edit->setCursorPosition(caret);
        QObject::connect(edit, &QLineEdit::textChanged, edit,
                         [output](const QString &text) { writeOutput(output, text); });
        layout->addWidget(edit);
        edit->setFocus();
    }
    window.resize(400, 200);
    window.show();
    window.activateWindow();
    writeOutput(output, initial);
    return app.exec();
}
