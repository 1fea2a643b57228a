#pragma once
// What a sender row's controls hold, as the request of kind 12 is framed from them.

#include <QString>

// Combo1's list index (-1 none; 0, 1, 2 are ORG 5, 6, 7) and the decimal texts of
// txt_snd_data_1..4 and txt_snd_status, checked values as whole numbers.
struct SenderRowValues {
    int orgIndex = 0;
    QString data1, data2, data3, data4, status;
};
