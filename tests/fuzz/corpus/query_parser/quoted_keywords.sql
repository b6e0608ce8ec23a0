SELECT 'FROM' AS "WHERE", f(a, b)
FROM t
WHERE s = 'it''s'