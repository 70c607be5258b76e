#pragma once

#include <QLabel>

namespace tandor28 {

// A caption that acts like a hyperlink: blue, underlined, a hand cursor, and a click signal.
class LinkLabel : public QLabel
{
    Q_OBJECT

public:
    explicit LinkLabel(QWidget* parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace tandor28
