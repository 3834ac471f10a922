#ifndef UIKIT_MULTIPLEBTNGROUP_H
#define UIKIT_MULTIPLEBTNGROUP_H

#include <QWidget>

// The camera selector: one 80 x 40 button per camera ("button<index>", id = camera index) in
// the exclusive button group "btnGroup", and for more than one camera an "all cameras"
// button added with id -1. The group's automatic id then is one below the lowest id, that is
// -1, which the camera panels take for "all cameras".
class MultipleBtnGroup : public QWidget
{
    Q_OBJECT

public:
    explicit MultipleBtnGroup(int cameraCount, QWidget *parent = nullptr);
};

#endif
