#pragma once
// The Minute tab: the minute hand's colours and thickness.

#include "config/PartPage.h"

class CPageMin : public CPartPage {
    Q_OBJECT
public:
    explicit CPageMin(QWidget* parent = nullptr);

    static const Descriptor kPart;
};
