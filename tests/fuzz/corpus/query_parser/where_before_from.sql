SELECT 'FROM' AS "WHERE", f(a, b)
FROMš t
WHERE s = 'itK's'