x++
y