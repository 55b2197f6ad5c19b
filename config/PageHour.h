#pragma once
// The Hour tab: the hour hand's colours and thickness.

#include "config/PartPage.h"

class CPageHour : public CPartPage {
    Q_OBJECT
public:
    explicit CPageHour(QWidget* parent = nullptr);

    static const Descriptor kPart;
};
