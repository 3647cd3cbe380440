-- Rows of the test database generalvelmorita (after esquema-generalvelmorita.sql).

INSERT INTO empresas (ID, BaseDeDatos, Empresa, Domicilio, CP, CiudadEstado, Telefonos, RFC) VALUES
(1, 'datos1', 'DISTRIBUIDORA VELMORITA, S.A. DE C.V.', 'AV. REVOLUCIÓN 1450, COL. SAN PEDRO',
 '44640', 'GUADALAJARA, JALISCO', '(33) 3615-2290, (33) 3615-2291', 'DVE950612KT3'),
(2, 'datos2', 'COMERCIALIZADORA L''ÉLITE DEL NORTE, S. DE R.L.', 'CALZ. MADERO 300 OTE.', '64000',
 'MONTERREY, NUEVO LEÓN', '(81) 8340-1000', 'CEN010101AB1');
