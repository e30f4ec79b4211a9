#include "bufferwriter/qt/QtPlatform.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

#include "text/KestrelError.h"

namespace kestrel {

namespace {

QString q(const std::string& text) { return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())); }
std::string s(const QString& text) { return text.toLocal8Bit().toStdString(); }

}  // namespace

void QtPlatform::messageBox(const std::string& text, const std::string& title) {
    QMessageBox::information(QApplication::activeWindow(), q(title), q(text));
}

void QtPlatform::notice(const std::string& text) {
    QMessageBox::information(QApplication::activeWindow(), "Notice:", q(text));
}

bool QtPlatform::askYesNo(const std::string& text, const std::string& title) {
    if (assumeYes_) return true;
    return QMessageBox::question(QApplication::activeWindow(), q(title), q(text), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

std::optional<std::string> QtPlatform::inputBox(const std::string& prompt, const std::string& title) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(QApplication::activeWindow(), q(title), q(prompt), QLineEdit::Normal, QString(), &ok);
    if (!ok) return std::nullopt;
    return s(answer);
}

void QtPlatform::critical(const std::string& text) {
    QMessageBox::critical(QApplication::activeWindow(), "CRITICAL ERROR", q(text));
    throw ProgramExit{2};
}

std::string QtPlatform::fileDialog(const FileDialogRequest& request) {
    QWidget* parent = QApplication::activeWindow();
    const QString filter = "Batch Files (*.*)";
    if (request.multiSelect) {
        const QStringList names = QFileDialog::getOpenFileNames(parent, q(request.title), QDir::currentPath(), filter);
        if (names.isEmpty()) return {};
        if (names.size() == 1) return s(names.front());
        // "folder;a;b", as the file services hand on a multiple choice.
        std::string out = s(QFileInfo(names.front()).absolutePath());
        for (const QString& name : names) out += ";" + s(QFileInfo(name).fileName());
        return out;
    }
    const QString name = request.save
                             ? QFileDialog::getSaveFileName(parent, q(request.title), QDir::currentPath(), filter)
                             : QFileDialog::getOpenFileName(parent, q(request.title), QDir::currentPath(), filter);
    return s(name);
}

}  // namespace kestrel
