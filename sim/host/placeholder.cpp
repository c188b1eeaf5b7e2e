// The simulator host: the sample device, its processes, the script runner and dump.
