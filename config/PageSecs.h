#pragma once
// The Seconds tab: the seconds hand on or off, its colours and thickness.

#include "config/PartPage.h"

class CPageSecs : public CPartPage {
    Q_OBJECT
public:
    explicit CPageSecs(QWidget* parent = nullptr);

    static const Descriptor kPart;
};
