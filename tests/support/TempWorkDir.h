#ifndef TESTS_SUPPORT_TEMPWORKDIR_H
#define TESTS_SUPPORT_TEMPWORKDIR_H

#include <QString>
#include <QTemporaryDir>

// Makes a fresh temporary folder the working directory for its lifetime, so that the
// program's relative paths ("PARAM.db", "./cnt_net/...") land inside it. Tests run in
// parallel; nothing may share a fixed folder.
class TempWorkDir
{
public:
    TempWorkDir();
    ~TempWorkDir();

    bool isValid() const { return dir.isValid(); }
    QString path() const { return dir.path(); }
    QString filePath(const QString &name) const { return dir.filePath(name); }

private:
    QTemporaryDir dir;
    QString previous;
};

#endif
