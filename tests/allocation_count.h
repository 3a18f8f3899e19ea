#pragma once
// Counts heap allocations made between Start and Stop on the calling thread,
// so that a test can show that a hot path reuses its caller's storage.

void Start_Counting_Allocations();
// The number of allocations since Start_Counting_Allocations.
int Stop_Counting_Allocations();
