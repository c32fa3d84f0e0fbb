#pragma once
// One receipt fetched by its printout number (the "W" number on the printout) without
// clearing anything on the register: its sale lines become "PAR" lines of "paragon.imp",
// which the host then loads. It shares the staging file with the sales import and refuses
// to run while that file holds the data of an unfinished sales import.
#include "platform/Strings.h"

class TQxNovitusECRAction;

class TSingleReceipt {
public:
    explicit TSingleReceipt(TQxNovitusECRAction& action) : FAction(action) {}

    void ImportParagonu();
    // Stages the receipt's packets in "novitus.imp".
    void ReadOneReceiptFromECR(int number);
    // Turns the staged sale lines into "PAR" lines of the current import buffer.
    void ImportOneReceiptFromFile(int number);

private:
    TQxNovitusECRAction& FAction;
};
