int Stray() { return 0; }
