#pragma once

// While set, the nothrow form of array new gives nullptr, as it does when memory runs out.
void FailNothrowArrayNew(bool fail);
