#pragma once

class Journal;

// A journal of the folder tells of an update cut off while programming. Touches nothing.
bool AnyRunInterruptedWhileProgramming(Journal& journal);
